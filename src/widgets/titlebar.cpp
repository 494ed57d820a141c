#include "widgets/titlebar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSpacerItem>

#include "widgets/iconbutton.h"

TitleBar::TitleBar(QWidget* parent)
    : QWidget(parent)
{
    // the style sheet's TitleBar rule paints the background of a plain subclass
    setAttribute(Qt::WA_StyledBackground);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    logo_ = new QLabel(this);
    logo_->setObjectName(QStringLiteral("logo"));
    logo_->setPixmap(QPixmap(QStringLiteral(":/icon/res/icon")));
    logo_->setFixedSize(50, 50);
    logo_->setContentsMargins(10, 10, 10, 10);
    logo_->setScaledContents(true);
    layout->addWidget(logo_);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setFixedWidth(175);
    layout->addWidget(title_);

    layout->addItem(new QSpacerItem(20, 50, QSizePolicy::Expanding, QSizePolicy::Minimum));

    close_ = new IconButton(QPixmap(QStringLiteral(":/icon/res/close")), QSize(50, 50), QSize(24, 24), false, this);
    close_->currentForeground = QColor(QStringLiteral("#afafaf"));
    close_->normalForeground = QColor(QStringLiteral("#afafaf"));
    close_->hoverForeground = QColor(QStringLiteral("#409eff"));
    layout->addWidget(close_);
    connect(close_, &IconButton::clicked, this, &TitleBar::close);
}

void TitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    lastX_ = event->globalX();
    lastY_ = event->globalY();
    dragging_ = true;
}

void TitleBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const QPoint now = event->globalPos();
    emit moved(now - QPoint(lastX_, lastY_));
    lastX_ = now.x();
    lastY_ = now.y();
}

void TitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    Q_UNUSED(event);
    dragging_ = false;
}
