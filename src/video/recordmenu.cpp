#include "recordmenu.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

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
    dot_->setFixedSize(45, 45);

    time_ = new QLabel(QStringLiteral("00:00:00"), this);
    time_->setFixedSize(85, 45);
    QFont font(QStringLiteral("Consolas"));
    font.setPointSize(10);
    time_->setFont(font);
    QPalette palette = time_->palette();
    palette.setBrush(QPalette::All, QPalette::WindowText, QBrush(Qt::white, Qt::SolidPattern));
    time_->setPalette(palette);
    time_->setAlignment(Qt::AlignCenter);

    stopButton_ = new QPushButton(this);
    stopButton_->setObjectName(QStringLiteral("RecordStopButton"));
    stopButton_->setIcon(QIcon(QStringLiteral(":/icon/res/stop.png")));
    stopButton_->setIconSize(QSize(24, 24));
    stopButton_->setFixedSize(45, 45);

    layout->addWidget(dot_);
    layout->addWidget(time_);
    layout->addWidget(stopButton_);

    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    elapsed_ = new QTime(0, 0, 0, 0);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    const QList<QScreen*> screens = QGuiApplication::screens();
    const int right = screens.isEmpty() ? 1920 : screens.last()->geometry().right();
    setGeometry(right - 185, 175, 175, 45);

    connect(timer_, &QTimer::timeout, this, &RecordMenu::update);
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

void RecordMenu::start()
{
    time_->setText(QStringLiteral("00:00:00"));
    *elapsed_ = QTime(0, 0, 0, 0);
    timer_->start();
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
