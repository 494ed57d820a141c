#include "countdown.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "qxt/qxtglobalshortcut.h"

namespace {

constexpr int TICK_MS = 100;
// Time for the countdown to leave the screen, and for what it covered to be
// drawn again, before the capture.
constexpr int VANISH_MS = 150;
constexpr QSize WINDOW_SIZE(132, 64);

} // namespace

Countdown::Countdown(int ms, QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , total_(qMax(0, ms))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("countdown"));
    setFixedSize(WINDOW_SIZE);
    timer_.setInterval(TICK_MS);
    connect(&timer_, &QTimer::timeout, this, &Countdown::tick);
}

Countdown::~Countdown() = default;

void Countdown::start()
{
    clock_.start();
    escape_ = new QxtGlobalShortcut(this);
    if (escape_->setShortcut(QKeySequence(Qt::Key_Escape)))
        connect(escape_, &QxtGlobalShortcut::activated, this, &Countdown::cancel);
    else
        qInfo() << "Escape is taken by another program; the countdown cancels only with its own focus";
    place();
    qInfo() << "countdown of" << total_ << "ms at" << pos();
    shown_ = shownSeconds();
    show();
    raise();
    timer_.start();
    tick();
}

int Countdown::remainingMs() const
{
    if (!clock_.isValid())
        return total_;
    return int(qMax<qint64>(0, total_ - clock_.elapsed()));
}

int Countdown::shownSeconds() const
{
    return (remainingMs() + 999) / 1000;
}

void Countdown::place()
{
    const QPoint cursor = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(cursor);
    const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), size());
    QPoint pos = cursor + QPoint(20, 20);
    // beside the cursor, but never off its screen
    if (pos.x() + width() > area.right())
        pos.setX(cursor.x() - 20 - width());
    if (pos.y() + height() > area.bottom())
        pos.setY(cursor.y() - 20 - height());
    move(pos);
}

void Countdown::tick()
{
    if (ended_)
        return;
    if (remainingMs() <= 0) {
        end();
        hide();
        QTimer::singleShot(VANISH_MS, this, &Countdown::finished);
        return;
    }
    const int seconds = shownSeconds();
    if (seconds != shown_) {
        shown_ = seconds;
        update();
    }
}

void Countdown::end()
{
    ended_ = true;
    timer_.stop();
    if (escape_) {
        escape_->setShortcut(QKeySequence());
        escape_->deleteLater();
        escape_ = nullptr;
    }
}

void Countdown::cancel()
{
    if (ended_)
        return;
    qInfo() << "countdown cancelled";
    end();
    hide();
    emit cancelled();
}

void Countdown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        cancel();
    else
        QWidget::keyPressEvent(event);
}

void Countdown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // opaque: without a compositor a translucent window shows garbage
    painter.fillRect(rect(), QColor(30, 30, 30));
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::white);
    QFont big = font();
    big.setPixelSize(28);
    big.setBold(true);
    painter.setFont(big);
    painter.drawText(QRect(0, 4, width(), 36), Qt::AlignCenter, QString::number(qMax(shown_, 0)));
    QFont small = font();
    small.setPixelSize(11);
    painter.setFont(small);
    painter.drawText(QRect(0, 40, width(), 20), Qt::AlignCenter, tr("Esc to cancel"));
}
