#include "core/basesizehint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

void BaseSizeHint::install()
{
    static BaseSizeHint* filter = nullptr;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new BaseSizeHint(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

bool BaseSizeHint::eventFilter(QObject* watched, QEvent* event)
{
    // A widget's show event comes after its native window exists and before
    // it is mapped: the window manager reads the corrected hints.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        QWindow* window = widget->isWindow() ? widget->windowHandle() : nullptr;
        if (window && !window->baseSize().isValid())
            window->setBaseSize(QSize(0, 0));
    }
    return QObject::eventFilter(watched, event);
}
