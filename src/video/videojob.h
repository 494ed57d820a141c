#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

#include "video/ffmpegargs.h"
#include "video/recordjob.h"

// One MP4 recording at a time through ffmpeg. The output is announced only
// once ffmpeg has finished it and it holds frames; every failure is reported
// and what it left behind is removed.
class VideoJob : public RecordJob
{
    Q_OBJECT
public:
    explicit VideoJob(QObject* parent = nullptr);
    ~VideoJob() override;

    // Starts recording the region (desktop pixels) into folder, with sound
    // from audioDevice unless it is empty. False, with the reason already
    // reported, when nothing was started.
    bool begin(const QRect& region, int framerate, const QString& audioDevice, const QString& folder,
               const QDateTime& now = QDateTime::currentDateTime());
    // Asks ffmpeg to finish the file; the path follows when it has.
    void end() override;
    bool finishNow(int budgetMs) override;
    bool capturing() const override { return stage_ == Stage::Recording; }

    bool recording() const { return stage_ == Stage::Recording; }
    QString outputPath() const { return output_; }
    // The take records sound (it may lose it if the source cannot be opened).
    bool withSound() const { return !audioDevice_.isEmpty(); }

private:
    enum class Stage { Idle, Recording, Stopping };

    void fail(const QString& reason);
    void tooShort();
    void onSucceeded() override;
    void onFailed(const QString& reason) override;

    Stage stage_ = Stage::Idle;
    QString output_;
    QString audioDevice_;
    ffmpeg::Grab grab_;
};
