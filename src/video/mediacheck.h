#pragma once

#include <QByteArray>
#include <QString>

// Whether a file ffmpeg wrote holds something to play: told from the file's
// own structure, without running anything.
namespace media {

// An MP4 whose top-level "moov" box is complete and holds at least one track.
// ffmpeg stopped before its first frame writes one without a track; a killed
// one writes none at all.
bool mp4HasTrack(const QByteArray& data);
bool mp4HasTrack(const QString& file);

// A GIF with its header and at least one image.
bool gifHasFrames(const QByteArray& data);
bool gifHasFrames(const QString& file);

} // namespace media
