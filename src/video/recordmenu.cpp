#include "recordmenu.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

#include "video/activewindow.h"

namespace {

constexpr int CELL = 45;
constexpr int TIME_WIDTH = 85;
// Space kept between the bar and the region or the monitor's edge.
constexpr int GAP = 8;

bool fits(const QRect& bar, const QRect& monitor, const QRect& region)
{
    return monitor.contains(bar) && !bar.intersects(region.adjusted(-1, -1, 1, 1));
}

// x (or y) clamped so that a length fits between lo and hi.
int clampInto(int value, int length, int lo, int hi)
{
    return std::max(lo, std::min(value, hi - length + 1));
}

} // namespace

BarPlacement placeControlBar(const QRect& region, const QList<QRect>& monitors, const QSize& full,
                             const QSize& compact)
{
    if (monitors.isEmpty())
        return {QRect(QPoint(GAP, GAP), full), false};
    // the region's own monitor first: the bar stays where the user looks
    QList<QRect> order = monitors;
    std::stable_sort(order.begin(), order.end(), [&region](const QRect& a, const QRect& b) {
        const QRect ia = a.intersected(region);
        const QRect ib = b.intersected(region);
        return qint64(ia.width()) * ia.height() > qint64(ib.width()) * ib.height();
    });
    const int w = full.width();
    const int h = full.height();
    for (const QRect& m : order) {
        const int x = clampInto(region.right() - w + 1, w, m.left() + GAP, m.right() - GAP);
        const int y = clampInto(region.bottom() - h + 1, h, m.top() + GAP, m.bottom() - GAP);
        const QRect candidates[] = {
            QRect(x, region.bottom() + 1 + GAP, w, h), // below, right-aligned
            QRect(x, region.top() - GAP - h, w, h),    // above
            QRect(region.right() + 1 + GAP, y, w, h),  // right, bottom-aligned
            QRect(region.left() - GAP - w, y, w, h),   // left
            QRect(m.right() - GAP - w + 1, m.bottom() - GAP - h + 1, w, h),
            QRect(m.right() - GAP - w + 1, m.top() + GAP, w, h),
            QRect(m.left() + GAP, m.bottom() - GAP - h + 1, w, h),
            QRect(m.left() + GAP, m.top() + GAP, w, h),
        };
        for (const QRect& c : candidates)
            if (fits(c, m, region))
                return {c, false};
    }
    // Nowhere free: as little as possible in the region's monitor's corner.
    const QRect& m = order.first();
    return {QRect(m.right() - compact.width() + 1, m.bottom() - compact.height() + 1, compact.width(),
                  compact.height()),
            true};
}

RecordMenu::RecordMenu(QWidget* parent)
    : QFrame(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);

    dot_ = new QLabel(this);
    dot_->setPixmap(QPixmap(QStringLiteral(":/icon/res/red_circle.png"))
                        .scaled(15, 15, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    dot_->setAlignment(Qt::AlignCenter);
    dot_->setFixedSize(CELL, CELL);

    time_ = new QLabel(QStringLiteral("00:00:00"), this);
    time_->setFixedSize(TIME_WIDTH, CELL);
    QFont font(QStringLiteral("Consolas"));
    font.setPointSize(10);
    time_->setFont(font);
    QPalette palette = time_->palette();
    palette.setBrush(QPalette::All, QPalette::WindowText, QBrush(Qt::white, Qt::SolidPattern));
    time_->setPalette(palette);
    time_->setAlignment(Qt::AlignCenter);

    microphone_ = new QCheckBox(this);
    microphone_->setObjectName(QStringLiteral("MicrophoneButton"));
    microphone_->setFixedSize(CELL, CELL);
    microphone_->setFocusPolicy(Qt::NoFocus);
    microphone_->setToolTip(tr("Record sound (from the next recording on)"));
    microphone_->hide();

    stopButton_ = new QPushButton(this);
    stopButton_->setObjectName(QStringLiteral("RecordStopButton"));
    stopButton_->setIcon(QIcon(QStringLiteral(":/icon/res/stop.png")));
    stopButton_->setIconSize(QSize(24, 24));
    stopButton_->setFixedSize(CELL, CELL);
    stopButton_->setFocusPolicy(Qt::NoFocus);

    layout->addWidget(dot_);
    layout->addWidget(time_);
    layout->addWidget(microphone_);
    layout->addWidget(stopButton_);

    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    elapsed_ = new QTime(0, 0, 0, 0);

    // A tool window has no taskbar entry; the keys stay with the program
    // being recorded.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    const QList<QScreen*> screens = QGuiApplication::screens();
    const int right = screens.isEmpty() ? 1920 : screens.last()->geometry().right();
    setGeometry(right - 185, 175, 175, 45);

    connect(timer_, &QTimer::timeout, this, &RecordMenu::update);
    connect(microphone_, &QCheckBox::toggled, this, &RecordMenu::microphoneToggled);
    connect(stopButton_, &QPushButton::clicked, this, [this] {
        emit STOP();
        close();
    });
}

RecordMenu::~RecordMenu()
{
    delete elapsed_;
}

QString RecordMenu::timeText() const
{
    return time_->text();
}

bool RecordMenu::counting() const
{
    return timer_->isActive();
}

void RecordMenu::setMicrophoneShown(bool shown)
{
    microphoneShown_ = shown;
    microphone_->setVisible(shown && !compact_);
}

void RecordMenu::setMicrophone(bool on)
{
    const QSignalBlocker quiet(microphone_);
    microphone_->setChecked(on);
}

QSize RecordMenu::fullSize() const
{
    return QSize(CELL + TIME_WIDTH + (microphoneShown_ ? CELL : 0) + CELL, CELL);
}

void RecordMenu::placeFor(const QRect& region)
{
    QList<QRect> monitors;
    for (QScreen* screen : QGuiApplication::screens())
        monitors << screen->geometry();
    const BarPlacement place = placeControlBar(region, monitors, fullSize(), QSize(CELL, CELL));
    compact_ = place.compact;
    dot_->setVisible(!compact_);
    time_->setVisible(!compact_);
    microphone_->setVisible(microphoneShown_ && !compact_);
    setFixedSize(place.geometry.size());
    move(place.geometry.topLeft());
}

void RecordMenu::start()
{
    time_->setText(QStringLiteral("00:00:00"));
    *elapsed_ = QTime(0, 0, 0, 0);
    timer_->start();
    activewindow::skipTaskbar(winId());
    show();
}

void RecordMenu::stop()
{
    close();
    timer_->stop();
}

void RecordMenu::update()
{
    *elapsed_ = elapsed_->addSecs(1);
    time_->setText(elapsed_->toString(QStringLiteral("hh:mm:ss")));
}
