#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

#include "video/ffmpegargs.h"
#include "video/recordjob.h"

// One GIF recording at a time: the screen is captured into a temporary
// video, then a palette pass and a conversion pass follow one after another
// without blocking the event loop. The GIF is announced once it exists;
// a failing pass is reported and ends the chain.
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
    // Finishes only the capture file: no later passes while quitting.
    bool finishNow() override;

    Stage stage() const { return stage_; }
    bool capturing() const { return stage_ == Stage::Capturing; }
    ffmpeg::GifFiles files() const { return files_; }

signals:
    void stageChanged(GifJob::Stage stage);

private:
    void setStage(Stage stage);
    void fail(const QString& reason);
    void onSucceeded() override;
    void onFailed(const QString& reason) override;
    bool startPass(Stage stage, const QStringList& args, const QString& input);

    Stage stage_ = Stage::Idle;
    int gifRate_ = 6;
    ffmpeg::GifFiles files_;
};
