#include <QTemporaryDir>
#include <QtTest>

#include "platform/recorderbackend.h"
#include "platform/services.h"
#include "recordingutil.h"
#include "video/ffmpegrun.h"
#include "video/gifjob.h"
#include "video/videojob.h"

// Recorders whose stream has to be set up before the capture program can
// start (GNOME's screen cast): the jobs wait for it, start the program with
// arguments naming it, and end it after the take whatever happens.
namespace {

struct Counts
{
    int prepares = 0;
    int cleanups = 0;
    QRect region;
};

// Sets up "stream-N" after a delay, or fails; the capture is a shell that
// ends cleanly on SIGINT, as gst-launch -e does.
class StreamingRecorder : public RecorderBackend
{
public:
    explicit StreamingRecorder(Counts* counts)
        : counts_(counts)
    {
    }

    int delayMs = 0;
    QString failure;
    QString markerFolder;

    void prepare(const QRect& region, std::function<void(const QString&)> done) override
    {
        ++counts_->prepares;
        counts_->region = region;
        const int number = counts_->prepares;
        QTimer::singleShot(delayMs, &context_, [this, number, done] {
            if (failure.isEmpty())
                stream_ = QStringLiteral("stream-%1").arg(number);
            done(failure);
        });
    }
    void cleanup() override
    {
        ++counts_->cleanups;
        stream_.clear();
    }
    QString program() const override { return QStringLiteral("sh"); }
    Stop stop() const override { return Stop::Interrupt; }
    QStringList recordArgs(const ffmpeg::Grab&, const QString&, const QString&) const override
    {
        // says it is up once the trap is set: a signal before that would kill it
        return {QStringLiteral("-c"), QStringLiteral("trap 'exit 0' INT TERM; : > \"$0\"; while :; do sleep 0.05; done"),
                markerFolder + QLatin1Char('/') + stream_, stream_};
    }
    QStringList gifCaptureArgs(const ffmpeg::Grab& grab, const QString& video) const override
    {
        return recordArgs(grab, QString(), video);
    }

private:
    Counts* counts_;
    QString stream_;
    QObject context_;
};

} // namespace

class TestRecordPrepare : public QObject
{
    Q_OBJECT

private:
    Counts counts_;
    StreamingRecorder* recorder_ = nullptr;
    QTemporaryDir folder_;

    const QRect region_{10, 20, 200, 100};

private slots:
    void init()
    {
        counts_ = Counts();
        auto recorder = std::make_unique<StreamingRecorder>(&counts_);
        recorder_ = recorder.get();
        recorder_->markerFolder = folder_.path();
        platform::setRecorderBackend(std::move(recorder));
    }

    void cleanupTestCase() { platform::resetServices(); }

    void captureStartsOnThePreparedStreamAndEndsIt()
    {
        recorder_->delayMs = 100;
        VideoJob job;
        testutil::MessageLog messages(&job);
        QVERIFY(job.begin(region_, 10, QString(), folder_.path(), QDateTime::currentDateTime()));
        QCOMPARE(counts_.prepares, 0); // not before the start delay has passed
        QTRY_VERIFY_WITH_TIMEOUT(job.run()->busy(), 10000);
        QCOMPARE(counts_.prepares, 1);
        QCOMPARE(counts_.region, region_);
        QCOMPARE(job.run()->arguments().last(), QStringLiteral("stream-1"));
        QCOMPARE(counts_.cleanups, 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder_.filePath("stream-1")), 10000);
        job.end();
        QTRY_VERIFY_WITH_TIMEOUT(!job.busy() && messages.count() > 0, 20000);
        // the shell wrote no video: nothing was saved, and the stream is over
        QVERIFY(messages.list.first().text.contains("too short"));
        QCOMPARE(counts_.cleanups, 1);
    }

    void streamThatCannotBeHadIsReported()
    {
        recorder_->failure = QStringLiteral("no stream here");
        VideoJob job;
        testutil::MessageLog messages(&job);
        QSignalSpy aborted(&job, &RecordJob::aborted);
        QVERIFY(job.begin(region_, 10, QString(), folder_.path(), QDateTime::currentDateTime()));
        QTRY_VERIFY_WITH_TIMEOUT(messages.count() > 0, 10000);
        QCOMPARE(messages.list.first().text, QStringLiteral("Recording failed: no stream here"));
        QCOMPARE(aborted.count(), 1);
        QVERIFY(job.run()->arguments().isEmpty()); // nothing was started
        QVERIFY(!job.busy());
        QVERIFY(counts_.cleanups >= 1);
        // and the next take can start
        recorder_->failure.clear();
        QVERIFY(job.begin(region_, 10, QString(), folder_.path(), QDateTime::currentDateTime().addSecs(1)));
        QTRY_VERIFY_WITH_TIMEOUT(job.run()->busy(), 10000);
        QCOMPARE(job.run()->arguments().last(), QStringLiteral("stream-2"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder_.filePath("stream-2")), 10000);
        job.end();
        QTRY_VERIFY_WITH_TIMEOUT(!job.busy(), 20000);
    }

    void stopWhileTheStreamIsSetUp()
    {
        recorder_->delayMs = 400;
        VideoJob job;
        testutil::MessageLog messages(&job);
        QVERIFY(job.begin(region_, 10, QString(), folder_.path(), QDateTime::currentDateTime()));
        QTRY_COMPARE_WITH_TIMEOUT(counts_.prepares, 1, 10000);
        job.end();
        QCOMPARE(messages.count(), 1);
        QVERIFY(messages.list.first().text.contains("too short"));
        // busy until the recorder has answered; then its stream is ended unused
        QVERIFY(job.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!job.busy(), 10000);
        QCOMPARE(counts_.cleanups, 1);
        QVERIFY(job.run()->arguments().isEmpty());
    }

    void jobGoneWhileTheStreamIsSetUp()
    {
        recorder_->delayMs = 300;
        {
            GifJob job;
            QTemporaryDir temp;
            QVERIFY(job.begin(region_, 10, 5, folder_.path(), temp.path(), QDateTime::currentDateTime()));
            QTRY_COMPARE_WITH_TIMEOUT(counts_.prepares, 1, 10000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(counts_.cleanups, 1, 10000);
    }
};

QTEST_MAIN(TestRecordPrepare)
#include "tst_recordprepare.moc"
