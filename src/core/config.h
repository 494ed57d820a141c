#pragma once

#include <QColor>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <nlohmann/json.hpp>

using json = nlohmann::json;

// How a capture tool draws its selection, read from its "selector" section.
struct SelectorTheme
{
    QColor borderColor;
    int borderWidth = 1;
    Qt::PenStyle borderStyle = Qt::DashDotLine;
    QColor maskColor;
};

// The process-wide settings document, backed by config.json. Every key has a
// type, a default and (for numbers) a range in one table; components read and
// write through the typed accessors below, which never throw and never hand
// out a value outside its range. A write emits changed(), which first saves
// the file and then reaches the application.
class Config : public QObject
{
    Q_OBJECT
public:
    enum Key {
        AutoRun,
        Language,
        DetectWindow,
        SnipHotkey,
        SnipBorderWidth,
        SnipBorderColor,
        SnipBorderStyle,
        SnipMaskColor,
        PinHotkey,
        RecordHotkey,
        RecordFramerate,
        RecordPath,
        RecordBorderWidth,
        RecordBorderColor,
        RecordBorderStyle,
        RecordMaskColor,
        GifHotkey,
        GifFramerate,
        GifPath,
        GifBorderWidth,
        GifBorderColor,
        GifBorderStyle,
        GifMaskColor,
        ScrollHotkey,
        ScrollMaxLength,
        RecordMicrophone,
        RecordAudioSource,
        KeyCount
    };
    enum class Type { Boolean, Integer, String, Color, Hotkey };

    // The keys of one top-level section; KeyCount where the section has none.
    enum Section { Snip, Pin, Record, Gif };
    struct SectionKeys
    {
        Key hotkey, framerate, path, borderWidth, borderColor, borderStyle, maskColor;
    };
    static SectionKeys keys(Section section);

    static Config& instance();

    // The folder is the per-user configuration folder unless one is given
    // (tests and tools point it elsewhere).
    explicit Config(const QString& folder = QString(), QObject* parent = nullptr);

    // Readers. Asking for a key with another type logs and gives its default.
    bool boolean(Key key) const;
    int integer(Key key) const;
    QString string(Key key) const;
    QColor color(Key key) const;
    QKeySequence hotkey(Key key) const;
    SelectorTheme selectorTheme(Section section) const;

    // Writers: store the value (an integer clamped to its range), then emit
    // changed(). A string for a colour key that is no colour is refused.
    void set(Key key, bool value);
    void set(Key key, int value);
    void set(Key key, const QString& value);
    void set(Key key, const QColor& value);
    void set(Key key, const QKeySequence& value);
    void set(Key key, const char* value) = delete; // would turn into a bool

    static Type type(Key key);
    static int minimum(Key key);
    static int maximum(Key key);
    // "snip / selector / border / width"
    static QString name(Key key);

    const json& doc() const { return document; }
    QString filePath() const { return path; }
    QString videoPath() const;
    QString gifPath() const;

    // Limits on a file before it is parsed; past them it counts as damaged.
    static constexpr qint64 MAX_FILE_SIZE = 1024 * 1024;
    static constexpr int MAX_DEPTH = 8;

signals:
    void changed();
    // Something the user must know about the settings file.
    void SHOW_MESSAGE(QString title, QString msg, QSystemTrayIcon::MessageIcon icon, int msecs);

public slots:
    // Writes the whole document atomically; false when the file could not be
    // replaced (the previous file then stays whole).
    bool save();

private:
    void load();
    void complete();
    bool keepDamagedCopy(const QByteArray& text, bool haveText, QString* copy);
    void announce(const QString& msg, QSystemTrayIcon::MessageIcon icon);
    const json* node(Key key) const;
    json& writableNode(Key key);
    void store(Key key, json value);

    QString path;
    QString videoFolder;
    QString gifFolder;
    json document;
    // set when the file must not be replaced: not a regular file, unreadable,
    // or damaged with no copy kept
    bool saveBlocked_ = false;
    bool saveFailureShown_ = false;
};

// The serialised form of a document: sorted keys, 4-space indent, CR LF line
// ends, UTF-8 unescaped, no newline after the last brace.
QByteArray serializeConfig(const json& document);

// The deepest nesting of arrays and objects in a JSON text, counted without
// parsing; stops counting once past the limit.
int jsonDepth(const QByteArray& text, int limit);

// Parses a configuration text: true with an object in *document, false when
// the text is damaged (not JSON, too large, too deep, not an object, numbers
// that do not fit). Never throws.
bool parseConfigText(const QByteArray& text, json* document, QString* reason);
