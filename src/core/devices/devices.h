#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// Capture devices that ffmpeg can record from: name first (what ffmpeg's
// audio input accepts), device path second (not meant for display).
using DeviceEntry = std::pair<QString, QString>;
using DeviceList = std::vector<DeviceEntry>;

DeviceList& videoCaptureDevices();
DeviceList& audioCaptureDevices();

// Refreshes both lists from the system; returns 0 on success or the
// platform's error code. Bounded in time: a missing or hung sound server
// leaves an empty audio list rather than delaying the caller.
long listCaptureDevices();

#ifdef _WIN32
struct IEnumMoniker;
// Appends one entry per device that the moniker enumerator hands out.
void DisplayDeviceInformation(IEnumMoniker* enumerator, DeviceList& list);
#endif

// A sound source as the user chooses it: ffmpeg's name and a description.
struct AudioSource
{
    QString name;
    QString description;
};
using AudioSourceList = std::vector<AudioSource>;

// Every sound source with its description, outputs' monitors included (what
// the computer plays). Bounded in time like listCaptureDevices.
AudioSourceList listAudioSources();

// The sources of "pactl list sources" (in the C locale): "Name:" and
// "Description:" of each "Source #n" block.
AudioSourceList parsePulseSourceDescriptions(const QByteArray& listing);

// The sources listed by "pactl list short sources" (index, name, driver,
// sample format, state per line), the default one first when it is among them.
DeviceList parsePulseSources(const QByteArray& listing, const QString& defaultSource = QString());
