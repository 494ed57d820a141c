#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>

#include "video/recordjob.h"

// One MP4 recording at a time through ffmpeg. The output is announced only
// once ffmpeg has finished it and it exists; every failure is reported.
class VideoJob : public RecordJob
{
    Q_OBJECT
public:
    explicit VideoJob(QObject* parent = nullptr);
    ~VideoJob() override;

    // Starts recording the region (desktop pixels) into folder. False, with
    // the reason already reported, when nothing was started.
    bool begin(const QRect& region, int framerate, const QString& audioDevice, const QString& folder,
               const QDateTime& now = QDateTime::currentDateTime());
    // Asks ffmpeg to finish the file; the path follows when it has.
    void end() override;
    bool finishNow() override;

    bool recording() const { return stage_ == Stage::Recording; }
    QString outputPath() const { return output_; }

private:
    enum class Stage { Idle, Recording, Stopping };

    void fail(const QString& reason);
    void onSucceeded() override;
    void onFailed(const QString& reason) override;

    Stage stage_ = Stage::Idle;
    QString output_;
};
