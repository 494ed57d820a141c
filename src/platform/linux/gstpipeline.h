#pragma once

#include <QMargins>
#include <QRect>
#include <QString>
#include <QStringList>

// Where gst-launch-1.0 reads a screen cast from.
struct GstSource
{
    // the PipeWire node of the stream
    quint32 node = 0;
    // a PipeWire remote handed over by a portal, open in the child process;
    // -1 for the user's own PipeWire daemon
    int fd = -1;
    // what is cut from the stream's edges
    QMargins crop;
};

// The H.264 encoder GStreamer should use, from the element names it has:
// x264enc (plugins-ugly), else openh264enc; empty when there is neither.
QString gstH264Encoder(const QStringList& available);

// The encoder this machine's GStreamer has, looked up once.
QString gstInstalledEncoder();

// gst-launch-1.0's arguments: the stream at a steady frame rate, cropped,
// converted to 4:2:0 and encoded into an MP4 file.
QStringList gstRecordArgs(const GstSource& source, int framerate, const QString& encoder, const QString& output);
QStringList gstRecordArgs(quint32 node, int framerate, const QString& encoder, const QString& output);

// The area to record: cut to even sides (the encoder's 4:2:0 pixels come in
// pairs); empty when nothing is left.
QRect evenArea(const QRect& region);
