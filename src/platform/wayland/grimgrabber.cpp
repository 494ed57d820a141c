#include "platform/wayland/grimgrabber.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int GRAB_TIMEOUT_MS = 10000;

} // namespace

QStringList grimRegionArgs(const QRect& rect)
{
    return {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-g"),
            QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()),
            QStringLiteral("-")};
}

QStringList grimOutputArgs(const QString& outputName)
{
    return {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-o"), outputName, QStringLiteral("-")};
}

QImage decodeGrimOutput(const QByteArray& data)
{
    if (!data.startsWith("P6"))
        return QImage();
    QImage image;
    if (!image.loadFromData(data, "PPM"))
        return QImage();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage GrimGrabber::grabRect(const QRect& rect)
{
    if (rect.isEmpty())
        return QImage();
    QElapsedTimer clock;
    clock.start();
    QProcess grim;
    grim.start(QStringLiteral("grim"), grimRegionArgs(rect));
    grim.closeWriteChannel();
    if (!grim.waitForFinished(GRAB_TIMEOUT_MS)) {
        qWarning().noquote() << "grim did not finish:" << grim.errorString();
        grim.kill();
        grim.waitForFinished(1000);
        return QImage();
    }
    if (grim.exitStatus() != QProcess::NormalExit || grim.exitCode() != 0) {
        qWarning().noquote() << "grim failed:" << grim.readAllStandardError().trimmed();
        return QImage();
    }
    QImage image = decodeGrimOutput(grim.readAllStandardOutput());
    qInfo() << "grim grabbed" << rect << "in" << clock.elapsed() << "ms";
    if (image.isNull())
        qWarning() << "grim's output is no picture";
    return image;
}

void GrimGrabber::grab()
{
    if (!pending_.isEmpty()) {
        // the grab running already answers this request too
        return;
    }
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] { emit failed(tr("there is no screen to grab")); }, Qt::QueuedConnection);
        return;
    }
    left_ = screens.size();
    const int generation = ++generation_;
    QTimer::singleShot(GRAB_TIMEOUT_MS, this, [this, generation] {
        if (generation != generation_)
            return;
        for (const Pending& p : qAsConst(pending_)) {
            if (p.process->state() != QProcess::NotRunning) {
                qWarning() << "grim did not finish within" << GRAB_TIMEOUT_MS << "ms; stopping it";
                p.process->kill();
            }
        }
    });
    for (QScreen* screen : screens) {
        auto* process = new QProcess(this);
        pending_.append({process, screen->geometry(), screen->name()});
        connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &GrimGrabber::finishOne);
        connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                finishOne();
        });
        process->start(QStringLiteral("grim"), grimOutputArgs(screen->name()));
        process->closeWriteChannel();
    }
}

void GrimGrabber::finishOne()
{
    if (--left_ > 0)
        return;
    QVector<OutputImage> outputs;
    QString problem;
    for (const Pending& p : qAsConst(pending_)) {
        QImage image;
        if (p.process->exitStatus() == QProcess::NormalExit && p.process->exitCode() == 0)
            image = decodeGrimOutput(p.process->readAllStandardOutput());
        if (image.isNull() && problem.isEmpty())
            problem = tr("grim could not read the output %1").arg(p.name);
        outputs.append({p.geometry, image});
        p.process->deleteLater();
    }
    pending_.clear();
    ++generation_;
    if (problem.isEmpty())
        emit grabbed(outputs);
    else
        emit failed(problem);
}
