#include "snip/scrollcontrolbar.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int GAP = 8;

QPushButton* barButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // a click must leave the keyboard with the window being scrolled
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

ScrollControlBar::ScrollControlBar(QWidget* parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("ScrollControlBar"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint
                   | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setSpacing(6);
    progress_ = new QLabel(this);
    progress_->setMinimumWidth(progress_->fontMetrics().horizontalAdvance(tr("%1 frames, %2 px").arg(9999).arg(99999)));
    hand_ = barButton(tr("Scroll by hand"), this);
    hand_->setCheckable(true);
    finish_ = barButton(tr("Finish"), this);
    cancel_ = barButton(tr("Cancel"), this);
    layout->addWidget(progress_);
    layout->addWidget(hand_);
    layout->addWidget(finish_);
    layout->addWidget(cancel_);
    setProgress(0, 0);

    connect(hand_, &QPushButton::toggled, this, &ScrollControlBar::handScrolling);
    connect(finish_, &QPushButton::clicked, this, &ScrollControlBar::FINISH);
    connect(cancel_, &QPushButton::clicked, this, &ScrollControlBar::CANCEL);
}

QString ScrollControlBar::progressText() const
{
    return progress_->text();
}

void ScrollControlBar::setProgress(int frames, int length)
{
    progress_->setText(tr("%1 frames, %2 px").arg(frames).arg(length));
}

void ScrollControlBar::setHandScrolling(bool on)
{
    hand_->setChecked(on);
}

QRect ScrollControlBar::placeFor(const QRect& region, const QSize& bar, const QRect& screen)
{
    const int left = qBound(screen.left(), region.left(), screen.right() + 1 - bar.width());
    const QRect below(QPoint(left, region.bottom() + 1 + GAP), bar);
    const QRect above(QPoint(left, region.top() - GAP - bar.height()), bar);
    const int top = qBound(screen.top(), region.top(), screen.bottom() + 1 - bar.height());
    const QRect right(QPoint(region.right() + 1 + GAP, top), bar);
    const QRect leftSide(QPoint(region.left() - GAP - bar.width(), top), bar);
    for (const QRect& r : {below, above, right, leftSide})
        if (screen.contains(r))
            return r;
    return QRect(QPoint(region.right() + 1 - bar.width(), region.bottom() + 1 - bar.height()), bar)
        .intersected(screen);
}

void ScrollControlBar::showFor(const QRect& region)
{
    adjustSize();
    QScreen* screen = QGuiApplication::screenAt(region.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : region;
    setGeometry(placeFor(region, sizeHint(), area));
    show();
}
