#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

#include "video/ffmpegargs.h"
#include "video/recordjob.h"

class QTemporaryDir;

// One GIF recording at a time: the screen is captured into a temporary
// video, then a palette pass and a conversion pass follow one after another
// without blocking the event loop. The intermediates live in a private
// folder that goes with the take. The GIF is announced once it exists; when
// a later pass fails, the captured video is kept beside where the GIF would
// have gone.
class GifJob : public RecordJob
{
    Q_OBJECT
public:
    enum class Stage { Idle, Capturing, StoppingCapture, Palette, Converting };
    Q_ENUM(Stage)

    explicit GifJob(QObject* parent = nullptr);
    ~GifJob() override;

    bool begin(const QRect& region, int framerate, int gifRate, const QString& gifFolder, const QString& tempFolder,
               const QDateTime& now = QDateTime::currentDateTime());
    // Stops the capture; the later passes follow on their own.
    void end() override;
    // Quitting: the capture is stopped and both passes run, all within the
    // budget; what cannot be finished in time is kept as a video.
    bool finishNow(int budgetMs) override;
    bool capturing() const override { return stage_ == Stage::Capturing; }

    Stage stage() const { return stage_; }
    ffmpeg::GifFiles files() const { return files_; }
    // Where the captured video is kept when no GIF could be made of it.
    QString keptVideoPath() const;

signals:
    void stageChanged(GifJob::Stage stage);

private:
    void setStage(Stage stage);
    void fail(const QString& reason);
    void onSucceeded() override;
    void onFailed(const QString& reason) override;
    bool startPass(Stage stage, const QStringList& args, const QString& input);
    // Moves the captured video beside the GIF's place; its new path, or
    // empty when there was nothing to keep.
    QString keepVideo();
    // Drops the private folder and everything in it.
    void clearWork();

    Stage stage_ = Stage::Idle;
    int gifRate_ = 6;
    QString gifFolder_;
    QString stamp_;
    ffmpeg::GifFiles files_;
    std::unique_ptr<QTemporaryDir> work_;
    bool keepWork_ = false;
};
