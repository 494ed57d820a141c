#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>

// How Klipora writes a picture to a file or the clipboard: one file-name
// scheme, one filter list, one set of suffix rules, and writes that never
// leave a half-written file behind. Used by the overlay and pinned windows.
class ImageSaver
{
    Q_DECLARE_TR_FUNCTIONS(ImageSaver)
public:
    // "PNG(*.png);;JPEG(*.jpg *.jpeg);;BMP(*.bmp)"
    static QString filters();
    // The pictures folder, or home when it does not exist yet (a dialog
    // opened on a missing folder starts somewhere arbitrary).
    static QString defaultFolder();
    // "<folder><separator>Klipora_picture_yyyyMMdd_hhmmss_zzz.png"
    static QString fileName(const QString& folder, const QDateTime& when);
    static QString proposedName() { return fileName(defaultFolder(), QDateTime::currentDateTime()); }

    // The format a file name asks for ("png", "jpg", "bmp"), or empty when
    // its suffix is none of ours; case does not matter.
    static QByteArray formatFor(const QString& name);
    // The name as given when it ends in one of our suffixes; otherwise with
    // the first extension of the chosen filter (PNG when there is none).
    static QString withSuffix(const QString& name, const QString& filter);

    // Writes aside and renames at the end, so a full disk or a bad folder
    // leaves no file; PNG goes through the fast encoder. On failure *error
    // says why.
    static bool save(const QImage& image, const QString& name, QString* error);
    // "Failed to save <name>: <error>", for the tray.
    static QString failureMessage(const QString& name, const QString& error);

    // Puts the image on the clipboard, PNG made only when another program
    // asks; with a position, also as "application/qpoint".
    static void copy(const QImage& image);
    static void copy(const QImage& image, const QPoint& pos);
};
