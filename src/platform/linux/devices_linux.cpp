#include "core/devices/devices.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QProcess>

namespace {

// The whole enumeration runs while the selector opens; a sound server that
// does not answer within this costs no more than a short pause.
constexpr int ENUMERATION_BUDGET_MS = 1500;

// Output of one pactl call, or nothing when it fails or runs out of time.
bool runPactl(const QStringList& args, int timeoutMs, QByteArray* out)
{
    QProcess pactl;
    // field names are read, not shown: keep them untranslated
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    pactl.setProcessEnvironment(env);
    pactl.setProgram(QStringLiteral("pactl"));
    pactl.setArguments(args);
    pactl.setStandardInputFile(QProcess::nullDevice());
    pactl.start(QIODevice::ReadOnly);
    if (!pactl.waitForStarted(timeoutMs))
        return false;
    if (!pactl.waitForFinished(timeoutMs)) {
        qWarning() << "pactl did not answer in time:" << args;
        pactl.kill();
        pactl.waitForFinished(1000);
        return false;
    }
    if (pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return false;
    *out = pactl.readAllStandardOutput();
    return true;
}

} // namespace

long listCaptureDevices()
{
    // No video capture devices are offered on this platform.
    videoCaptureDevices().clear();
    DeviceList& audio = audioCaptureDevices();
    audio.clear();

    QElapsedTimer clock;
    clock.start();
    QByteArray listing;
    if (!runPactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sources")}, ENUMERATION_BUDGET_MS,
                  &listing))
        return 0; // no sound server: recordings simply carry no sound

    QByteArray defaultSource;
    const int left = ENUMERATION_BUDGET_MS - int(clock.elapsed());
    if (left > 0)
        runPactl({QStringLiteral("get-default-source")}, left, &defaultSource);

    audio = parsePulseSources(listing, QString::fromUtf8(defaultSource.trimmed()));
    for (const DeviceEntry& entry : audio)
        qInfo().noquote() << entry.first << "@[" << entry.second << "]";
    return 0;
}

AudioSourceList listAudioSources()
{
    QByteArray listing;
    if (!runPactl({QStringLiteral("list"), QStringLiteral("sources")}, ENUMERATION_BUDGET_MS, &listing))
        return AudioSourceList();
    return parsePulseSourceDescriptions(listing);
}
