#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include "core/devices/devices.h"
#include "testutil.h"

// Audio capture sources as the recorder offers them to ffmpeg: from a real
// sound server, from none, and from one that hangs.
class TestDevices : public QObject
{
    Q_OBJECT

    QByteArray savedRuntime_;
    QByteArray savedPath_;

private slots:
    void init()
    {
        savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
        savedPath_ = qgetenv("PATH");
    }
    void cleanup()
    {
        qputenv("XDG_RUNTIME_DIR", savedRuntime_);
        qputenv("PATH", savedPath_);
    }

    void parsesSourcesDefaultFirst()
    {
        const QByteArray listing = "0\talsa_input.usb-mic\tmodule-alsa-card.c\ts16le 1ch 48000Hz\tSUSPENDED\n"
                                   "1\tvirt.monitor\tmodule-null-sink.c\ts16le 2ch 44100Hz\tIDLE\n"
                                   "\n"
                                   "garbage line without tabs\n"
                                   "2\tbluez_source.headset\tmodule-bluez5-device.c\ts16le 1ch 16000Hz\tRUNNING\n";
        DeviceList list = parsePulseSources(listing, QStringLiteral("virt.monitor"));
        QCOMPARE(int(list.size()), 3);
        QCOMPARE(list[0].first, QStringLiteral("virt.monitor"));
        QCOMPARE(list[1].first, QStringLiteral("alsa_input.usb-mic"));
        QCOMPARE(list[2].first, QStringLiteral("bluez_source.headset"));

        // an unknown default keeps the server's order
        list = parsePulseSources(listing, QStringLiteral("gone"));
        QCOMPARE(list[0].first, QStringLiteral("alsa_input.usb-mic"));
        QVERIFY(parsePulseSources(QByteArray()).empty());
    }

    void noSoundServerIsAnEmptyList()
    {
        const QString empty = QDir(testutil::tempDir()).filePath(QStringLiteral("no-pulse"));
        QDir().mkpath(empty);
        qputenv("XDG_RUNTIME_DIR", empty.toUtf8());
        audioCaptureDevices() = {{QStringLiteral("stale"), QString()}};
        QCOMPARE(listCaptureDevices(), 0L);
        QVERIFY(audioCaptureDevices().empty());
    }

    void hungServerDoesNotHoldUpTheCaller()
    {
        // a pactl that never answers
        const QString bin = QDir(testutil::tempDir()).filePath(QStringLiteral("fakebin"));
        QDir().mkpath(bin);
        QFile fake(bin + QStringLiteral("/pactl"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\nexec sleep 30\n");
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.toUtf8() + ':' + savedPath_);

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(listCaptureDevices(), 0L);
        QVERIFY(audioCaptureDevices().empty());
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    void listsTheRealServersSourcesOnce()
    {
        testutil::PulseServer pulse;
        if (!pulse.start())
            QSKIP("pulseaudio could not be started here");
        QVERIFY(pulse.addNullSink(QStringLiteral("virt")));

        QCOMPARE(listCaptureDevices(), 0L);
        const DeviceList first = audioCaptureDevices();
        QVERIFY(!first.empty());
        QCOMPARE(first.front().first, QStringLiteral("virt.monitor")); // the default source

        // a second run refreshes rather than piles up entries
        QCOMPARE(listCaptureDevices(), 0L);
        QCOMPARE(audioCaptureDevices(), first);

        // the name is what ffmpeg's pulse input accepts
        const auto probe = testutil::run(QStringLiteral("ffmpeg"),
                                         {QStringLiteral("-hide_banner"), QStringLiteral("-f"), QStringLiteral("pulse"),
                                          QStringLiteral("-i"), first.front().first, QStringLiteral("-t"),
                                          QStringLiteral("0.3"), QStringLiteral("-f"), QStringLiteral("null"),
                                          QStringLiteral("-")},
                                         30000);
        QVERIFY2(probe.finished && probe.exitCode == 0, probe.err.right(500).constData());

        // for choosing: with descriptions, the output's monitor among them
        const AudioSourceList sources = listAudioSources();
        QCOMPARE(int(sources.size()), int(first.size()));
        QCOMPARE(sources.front().name, QStringLiteral("virt.monitor"));
        QVERIFY2(sources.front().description.contains(QStringLiteral("Monitor")),
                 qPrintable(sources.front().description));
    }

    void parsesSourceDescriptions()
    {
        const QByteArray listing = "Source #0\n"
                                   "\tState: SUSPENDED\n"
                                   "\tName: alsa_output.pci.analog-stereo.monitor\n"
                                   "\tDescription: Monitor of Built-in Audio Analog Stereo\n"
                                   "\tProperties:\n"
                                   "\t\tdevice.description = \"Monitor of Built-in Audio\"\n"
                                   "\t\tName: not a field of the source\n"
                                   "\n"
                                   "Sink #3\n"
                                   "\tName: a-sink-not-a-source\n"
                                   "\tDescription: Speakers\n"
                                   "Source #1\n"
                                   "\tName: alsa_input.usb-mic\n"
                                   "\tDescription: USB Microphone: Mono\n"
                                   "Source #2\n"
                                   "\tName: no-description\n"
                                   "Source #4\n"
                                   "\tDescription: a source without a name is useless\n";
        const AudioSourceList sources = parsePulseSourceDescriptions(listing);
        QCOMPARE(int(sources.size()), 3);
        QCOMPARE(sources[0].name, QStringLiteral("alsa_output.pci.analog-stereo.monitor"));
        QCOMPARE(sources[0].description, QStringLiteral("Monitor of Built-in Audio Analog Stereo"));
        QCOMPARE(sources[1].name, QStringLiteral("alsa_input.usb-mic"));
        QCOMPARE(sources[1].description, QStringLiteral("USB Microphone: Mono"));
        QCOMPARE(sources[2].description, QStringLiteral("no-description")); // the name stands in
        QVERIFY(parsePulseSourceDescriptions(QByteArray()).empty());
    }
};

QTEST_MAIN(TestDevices)
#include "tst_devices.moc"
