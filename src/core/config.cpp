#include "core/config.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <cmath>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Type = Config::Type;

struct Entry
{
    Config::Key key;
    const char* path[4]; // null-terminated when shorter
    Type type;
    json value;          // null for the two output folders
    int min = 0;
    int max = 0;
};

constexpr int MAX_BORDER_WIDTH = 99;
constexpr int MAX_FRAMERATE = 120;
constexpr int MAX_PEN_STYLE = int(Qt::CustomDashLine);
// A scrolling screenshot of 60,000 px on a 1920 px wide region is 460 MB.
constexpr int MIN_SCROLL_LENGTH = 1000;
constexpr int MAX_SCROLL_LENGTH = 60000;

// Every key of the document: its path, type, default and range. A new key
// gets its name in Config::Key and its row here.
const std::vector<Entry>& table()
{
    static const std::vector<Entry> entries = {
        {Config::AutoRun, {"kliporaautorun"}, Type::Boolean, false},
        {Config::Language, {"language"}, Type::String, "zh_CN"},
        {Config::DetectWindow, {"detectwindow"}, Type::Boolean, true},
        {Config::SnipHotkey, {"snip", "hotkey"}, Type::Hotkey, "F1"},
        {Config::SnipBorderWidth, {"snip", "selector", "border", "width"}, Type::Integer, 1, 0, MAX_BORDER_WIDTH},
        {Config::SnipBorderColor, {"snip", "selector", "border", "color"}, Type::Color, "#409EFF"},
        {Config::SnipBorderStyle, {"snip", "selector", "border", "style"}, Type::Integer, 4, 0, MAX_PEN_STYLE},
        {Config::SnipMaskColor, {"snip", "selector", "mask", "color"}, Type::Color, "#88000000"},
        {Config::PinHotkey, {"pin", "hotkey"}, Type::Hotkey, "F3"},
        {Config::RecordHotkey, {"record", "hotkey"}, Type::Hotkey, "Ctrl+Alt+V"},
        {Config::RecordFramerate, {"record", "framerate"}, Type::Integer, 30, 1, MAX_FRAMERATE},
        {Config::RecordPath, {"record", "path"}, Type::String, nullptr},
        {Config::RecordBorderWidth, {"record", "selector", "border", "width"}, Type::Integer, 1, 0, MAX_BORDER_WIDTH},
        {Config::RecordBorderColor, {"record", "selector", "border", "color"}, Type::Color, "#ffff5500"},
        {Config::RecordBorderStyle, {"record", "selector", "border", "style"}, Type::Integer, 4, 0, MAX_PEN_STYLE},
        {Config::RecordMaskColor, {"record", "selector", "mask", "color"}, Type::Color, "#88000000"},
        {Config::GifHotkey, {"gif", "hotkey"}, Type::Hotkey, "Ctrl+Alt+G"},
        {Config::GifFramerate, {"gif", "framerate"}, Type::Integer, 6, 1, MAX_FRAMERATE},
        {Config::GifPath, {"gif", "path"}, Type::String, nullptr},
        {Config::GifBorderWidth, {"gif", "selector", "border", "width"}, Type::Integer, 1, 0, MAX_BORDER_WIDTH},
        {Config::GifBorderColor, {"gif", "selector", "border", "color"}, Type::Color, "#ffff00ff"},
        {Config::GifBorderStyle, {"gif", "selector", "border", "style"}, Type::Integer, 4, 0, MAX_PEN_STYLE},
        {Config::GifMaskColor, {"gif", "selector", "mask", "color"}, Type::Color, "#88000000"},
        {Config::ScrollHotkey, {"scroll", "hotkey"}, Type::Hotkey, "Ctrl+Alt+S"},
        {Config::ScrollMaxLength, {"scroll", "maxlength"}, Type::Integer, 30000, MIN_SCROLL_LENGTH, MAX_SCROLL_LENGTH},
        {Config::RecordMicrophone, {"record", "microphone"}, Type::Boolean, false},
        // empty: the default input
        {Config::RecordAudioSource, {"record", "audiosource"}, Type::String, ""},
    };
    return entries;
}

// The row of a key, whatever the order of the rows.
const Entry* entry(Config::Key key)
{
    static const std::vector<const Entry*> rows = [] {
        std::vector<const Entry*> byKey(Config::KeyCount, nullptr);
        for (const Entry& e : table())
            byKey[size_t(e.key)] = &e;
        return byKey;
    }();
    if (key < 0 || key >= Config::KeyCount)
        return nullptr;
    return rows[size_t(key)];
}

int depthOf(const Entry& e)
{
    int depth = 0;
    while (depth < 4 && e.path[depth])
        ++depth;
    return depth;
}

QString pathName(const Entry& e, int depth)
{
    QStringList parts;
    for (int i = 0; i < depth; ++i)
        parts << QString::fromUtf8(e.path[i]);
    return parts.join(QStringLiteral(" / "));
}

bool isValidColor(const json& v)
{
    return v.is_string() && QColor::isValidColor(QString::fromStdString(v.get<std::string>()));
}

// Any JSON number as an int within [min, max], without an overflowing
// conversion; false for what is not a finite number.
bool clampedInt(const json& v, int min, int max, int* out)
{
    if (v.is_number_unsigned()) {
        const auto n = v.get<json::number_unsigned_t>();
        *out = n > json::number_unsigned_t(max) ? max : std::max(int(n), min);
        return true;
    }
    if (v.is_number_integer()) {
        const auto n = v.get<json::number_integer_t>();
        *out = int(std::min<json::number_integer_t>(std::max<json::number_integer_t>(n, min), max));
        return true;
    }
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (!std::isfinite(d))
            return false;
        *out = int(std::round(std::min(std::max(d, double(min)), double(max))));
        return true;
    }
    return false;
}

bool fits(const Entry& e, const json& v)
{
    switch (e.type) {
    case Type::Boolean: return v.is_boolean();
    case Type::Integer: return v.is_number_integer() && v >= e.min && v <= e.max;
    case Type::String:
    case Type::Hotkey: return v.is_string();
    case Type::Color: return isValidColor(v);
    }
    return false;
}

QString writableFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.isEmpty() && !QDir(folder).exists())
        QDir().mkpath(folder);
    return folder;
}

enum class ReadResult { Ok, NotRegular, TooLarge, Unreadable };

// Reads the file without ever blocking on what is not a regular file: a FIFO
// would hang the start and a device must not be touched. A missing file is
// created empty, as the user expects to find it.
ReadResult readRegularFile(const QString& path, QByteArray* text)
{
    QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        QFile create(path);
        if (!create.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            qWarning() << "cannot create" << path << create.errorString();
        return ReadResult::Ok;
    }
    if (info.exists() && !info.isFile())
        return ReadResult::NotRegular;
    if (!info.exists())
        return ReadResult::Ok; // a link to a file yet to be written
#ifdef Q_OS_UNIX
    // the check above and the open below are apart in time: check the opened
    // file itself too
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return ReadResult::Unreadable;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::NotRegular;
    }
    if (st.st_size > Config::MAX_FILE_SIZE) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadResult::Unreadable;
    }
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    if (file.size() > Config::MAX_FILE_SIZE)
        return ReadResult::TooLarge;
#endif
    *text = file.read(Config::MAX_FILE_SIZE + 1);
    if (text->size() > Config::MAX_FILE_SIZE)
        return ReadResult::TooLarge;
    return ReadResult::Ok;
}

// Where a save has to write: through a symlink to the file it names.
QString saveTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

} // namespace

Config::SectionKeys Config::keys(Section section)
{
    switch (section) {
    case Snip:
        return {SnipHotkey, KeyCount, KeyCount, SnipBorderWidth, SnipBorderColor, SnipBorderStyle, SnipMaskColor};
    case Pin: return {PinHotkey, KeyCount, KeyCount, KeyCount, KeyCount, KeyCount, KeyCount};
    case Record:
        return {RecordHotkey,      RecordFramerate,   RecordPath,     RecordBorderWidth,
                RecordBorderColor, RecordBorderStyle, RecordMaskColor};
    case Gif:
        return {GifHotkey, GifFramerate, GifPath, GifBorderWidth, GifBorderColor, GifBorderStyle, GifMaskColor};
    }
    return {KeyCount, KeyCount, KeyCount, KeyCount, KeyCount, KeyCount, KeyCount};
}

Config& Config::instance()
{
    static Config config;
    return config;
}

Config::Config(const QString& folder, QObject* parent)
    : QObject(parent)
    , document(json::object())
{
    QString configFolder = folder;
    if (configFolder.isEmpty())
        configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!QDir(configFolder).exists())
        QDir().mkpath(configFolder);
    videoFolder = writableFolder(QStandardPaths::MoviesLocation);
    gifFolder = writableFolder(QStandardPaths::PicturesLocation);

    path = configFolder + QDir::separator() + QStringLiteral("config.json");
    qInfo().noquote().nospace() << "config file path: " << path;

    load();
    complete();
    connect(this, &Config::changed, this, &Config::save);
}

void Config::load()
{
    QByteArray text;
    const ReadResult read = readRegularFile(path, &text);
    if (read == ReadResult::NotRegular) {
        saveBlocked_ = true;
        qWarning() << path << "is not a regular file; it is left alone";
        announce(tr("%1 is not a regular file. Klipora leaves it alone and runs on the default settings.")
                     .arg(QDir::toNativeSeparators(path)),
                 QSystemTrayIcon::Warning);
        return;
    }
    if (read == ReadResult::Unreadable) {
        // what cannot be read must not be overwritten either
        saveBlocked_ = true;
        qWarning() << "cannot read" << path;
        announce(tr("Cannot read %1. Klipora runs on the default settings and leaves the file as it is.")
                     .arg(QDir::toNativeSeparators(path)),
                 QSystemTrayIcon::Warning);
        return;
    }
    QString reason;
    if (read == ReadResult::TooLarge)
        reason = QStringLiteral("larger than %1 bytes").arg(MAX_FILE_SIZE);
    else if (text.trimmed().isEmpty())
        return; // a new file: nothing to lose
    else if (parseConfigText(text, &document, &reason))
        return;

    qWarning().noquote() << path << "is damaged:" << reason;
    document = json::object();
    QString copy;
    if (keepDamagedCopy(text, read == ReadResult::Ok, &copy)) {
        announce(tr("The settings file could not be read. It was kept as %1 and Klipora runs on the default "
                    "settings.")
                     .arg(QDir::toNativeSeparators(copy)),
                 QSystemTrayIcon::Warning);
    } else {
        saveBlocked_ = true;
        announce(tr("The settings file %1 could not be read and no copy of it could be kept. Klipora leaves it "
                    "as it is and runs on the default settings.")
                     .arg(QDir::toNativeSeparators(path)),
                 QSystemTrayIcon::Warning);
    }
}

// Keeps the damaged file beside the original: config.json.bad, or a
// time-stamped name when that is taken by another file, so that a second bad
// start does not overwrite the first copy.
bool Config::keepDamagedCopy(const QByteArray& text, bool haveText, QString* copy)
{
    const QString plain = path + QStringLiteral(".bad");
    // the same damage found again is kept once
    const QFileInfo info(path);
    const QFileInfoList earlier =
        info.dir().entryInfoList({info.fileName() + QStringLiteral(".bad*")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& old : earlier) {
        if (!haveText || old.size() != text.size() || old.isSymLink())
            continue;
        QFile f(old.filePath());
        if (f.open(QIODevice::ReadOnly) && f.readAll() == text) {
            *copy = old.filePath();
            return true;
        }
    }
    QString name = plain;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss_zzz"));
    for (int i = 0; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++i) {
        name = plain + QLatin1Char('-') + stamp + (i ? QStringLiteral("-%1").arg(i) : QString());
        if (i > 100)
            return false;
    }
    bool kept = false;
    if (haveText) {
        QFile out(name);
        kept = out.open(QIODevice::WriteOnly | QIODevice::NewOnly) && out.write(text) == text.size() && out.flush();
        out.close();
    } else {
        kept = QFile::copy(path, name);
    }
    if (!kept) {
        qWarning() << "cannot keep a copy of the damaged settings as" << name;
        QFile::remove(name);
        return false;
    }
    qWarning() << "kept the damaged settings as" << name;
    *copy = name;
    return true;
}

void Config::announce(const QString& msg, QSystemTrayIcon::MessageIcon icon)
{
    // at start-up nobody listens yet: say it once the event loop runs
    QTimer::singleShot(0, this, [this, msg, icon] { emit SHOW_MESSAGE(QStringLiteral("Klipora"), msg, icon, 10000); });
}

// Fills every missing key with its default. A value of the wrong type, a
// section that is not an object, or a number out of range falls back to the
// default or is clamped: readers then never meet a value they cannot use.
void Config::complete()
{
    for (const Entry& e : table()) {
        json* node = &document;
        const int depth = depthOf(e);
        for (int i = 0; i + 1 < depth; ++i) {
            json& next = (*node)[e.path[i]];
            if (!next.is_null() && !next.is_object()) {
                qWarning() << "config value" << pathName(e, i + 1) << "is not an object; using the defaults";
                next = json::object();
            }
            node = &next;
        }
        json& leaf = (*node)[e.path[depth - 1]];
        if (!leaf.is_null() && !fits(e, leaf)) {
            int clamped = 0;
            if (e.type == Type::Integer && clampedInt(leaf, e.min, e.max, &clamped)) {
                qWarning().noquote() << "config value" << pathName(e, depth) << QString::fromStdString(leaf.dump())
                                     << "is out of range; using" << clamped;
                leaf = clamped;
            } else {
                qWarning() << "config value" << pathName(e, depth) << "is not valid; using the default";
                leaf = nullptr;
            }
        }
        if (leaf.is_null()) {
            if (!e.value.is_null())
                leaf = e.value;
            else if (e.key == RecordPath)
                leaf = videoFolder.toStdString();
            else
                leaf = gifFolder.toStdString();
        }
    }
}

const json* Config::node(Key key) const
{
    const Entry* e = entry(key);
    if (!e)
        return nullptr;
    const json* n = &document;
    for (int i = 0; i < depthOf(*e); ++i) {
        if (!n->is_object())
            return nullptr;
        const auto it = n->find(e->path[i]);
        if (it == n->end())
            return nullptr;
        n = &*it;
    }
    return n;
}

json& Config::writableNode(Key key)
{
    const Entry* e = entry(key);
    json* n = &document;
    for (int i = 0; i < depthOf(*e); ++i) {
        if (!n->is_object())
            *n = json::object();
        n = &(*n)[e->path[i]];
    }
    return *n;
}

Config::Type Config::type(Key key)
{
    const Entry* e = entry(key);
    return e ? e->type : Type::String;
}

int Config::minimum(Key key)
{
    const Entry* e = entry(key);
    return e ? e->min : 0;
}

int Config::maximum(Key key)
{
    const Entry* e = entry(key);
    return e ? e->max : 0;
}

QString Config::name(Key key)
{
    const Entry* e = entry(key);
    return e ? pathName(*e, depthOf(*e)) : QStringLiteral("?");
}

bool Config::boolean(Key key) const
{
    const Entry* e = entry(key);
    if (!e || e->type != Type::Boolean) {
        qCritical() << "not a boolean setting:" << name(key);
        return false;
    }
    const json* n = node(key);
    return n && n->is_boolean() ? n->get<bool>() : e->value.get<bool>();
}

int Config::integer(Key key) const
{
    const Entry* e = entry(key);
    if (!e || e->type != Type::Integer) {
        qCritical() << "not an integer setting:" << name(key);
        return 0;
    }
    const json* n = node(key);
    int value = 0;
    return n && clampedInt(*n, e->min, e->max, &value) ? value : e->value.get<int>();
}

QString Config::string(Key key) const
{
    const Entry* e = entry(key);
    if (!e || e->type == Type::Boolean || e->type == Type::Integer) {
        qCritical() << "not a text setting:" << name(key);
        return QString();
    }
    const json* n = node(key);
    if (n && n->is_string() && (e->type != Type::Color || isValidColor(*n)))
        return QString::fromStdString(n->get<std::string>());
    if (e->value.is_string())
        return QString::fromStdString(e->value.get<std::string>());
    return key == RecordPath ? videoFolder : gifFolder;
}

QColor Config::color(Key key) const
{
    if (type(key) != Type::Color) {
        qCritical() << "not a colour setting:" << name(key);
        return QColor();
    }
    QColor c;
    c.setNamedColor(string(key));
    return c;
}

QKeySequence Config::hotkey(Key key) const
{
    if (type(key) != Type::Hotkey) {
        qCritical() << "not a hotkey setting:" << name(key);
        return QKeySequence();
    }
    return QKeySequence(string(key), QKeySequence::NativeText);
}

SelectorTheme Config::selectorTheme(Section section) const
{
    const SectionKeys k = keys(section);
    SelectorTheme theme;
    if (k.borderColor == KeyCount)
        return theme;
    theme.borderColor = color(k.borderColor);
    theme.borderWidth = integer(k.borderWidth);
    theme.borderStyle = Qt::PenStyle(integer(k.borderStyle));
    theme.maskColor = color(k.maskColor);
    return theme;
}

void Config::store(Key key, json value)
{
    writableNode(key) = std::move(value);
    emit changed();
}

void Config::set(Key key, bool value)
{
    if (type(key) != Type::Boolean || !entry(key)) {
        qCritical() << "not a boolean setting:" << name(key);
        return;
    }
    store(key, value);
}

void Config::set(Key key, int value)
{
    const Entry* e = entry(key);
    if (!e || e->type != Type::Integer) {
        qCritical() << "not an integer setting:" << name(key);
        return;
    }
    const int clamped = std::min(std::max(value, e->min), e->max);
    if (clamped != value)
        qWarning() << "setting" << name(key) << value << "is out of range; using" << clamped;
    store(key, clamped);
}

void Config::set(Key key, const QString& value)
{
    const Entry* e = entry(key);
    if (!e || e->type == Type::Boolean || e->type == Type::Integer) {
        qCritical() << "not a text setting:" << name(key);
        return;
    }
    if (e->type == Type::Color && !QColor::isValidColor(value)) {
        qWarning() << "setting" << name(key) << value << "is not a colour";
        return;
    }
    store(key, value.toStdString());
}

void Config::set(Key key, const QColor& value)
{
    if (type(key) != Type::Color || !entry(key) || !value.isValid()) {
        qCritical() << "not a colour setting or no colour:" << name(key);
        return;
    }
    store(key, value.name(QColor::HexArgb).toStdString());
}

void Config::set(Key key, const QKeySequence& value)
{
    if (type(key) != Type::Hotkey || !entry(key)) {
        qCritical() << "not a hotkey setting:" << name(key);
        return;
    }
    store(key, value.toString(QKeySequence::PortableText).toStdString());
}

QString Config::videoPath() const
{
    const QString p = string(RecordPath);
    return p.isEmpty() ? videoFolder : p;
}

QString Config::gifPath() const
{
    const QString p = string(GifPath);
    return p.isEmpty() ? gifFolder : p;
}

bool Config::save()
{
    if (saveBlocked_)
        return false; // reported when it was found
    const QString target = saveTarget(path);
    const QFileInfo info(target);
    if (info.exists() && !info.isFile()) {
        saveBlocked_ = true;
        qWarning() << target << "is not a regular file; not saving";
        emit SHOW_MESSAGE(QStringLiteral("Klipora"),
                          tr("%1 is not a regular file. Klipora leaves it alone and keeps the settings in memory.")
                              .arg(QDir::toNativeSeparators(path)),
                          QSystemTrayIcon::Warning, 10000);
        return false;
    }

    // QSaveFile writes beside the file and renames over it on commit: a crash
    // or a full disk leaves the previous file whole.
    QSaveFile file(target);
    QString error;
    const QByteArray text = serializeConfig(document);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
    } else if (file.write(text) != text.size() || !file.flush()) {
        // commit() alone would rename a half-written file into place when the
        // buffered data fail to reach the disk: check the flush ourselves
        error = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        error = file.errorString();
    }
    if (error.isEmpty()) {
        saveFailureShown_ = false;
        return true;
    }
    qWarning() << "cannot write" << target << error;
    // once until a save works again: every spin-box step saves
    if (!saveFailureShown_) {
        saveFailureShown_ = true;
        emit SHOW_MESSAGE(QStringLiteral("Klipora"),
                          tr("Cannot save the settings to %1: %2. The previous file is kept.")
                              .arg(QDir::toNativeSeparators(path), error),
                          QSystemTrayIcon::Critical, 10000);
    }
    return false;
}

QByteArray serializeConfig(const json& document)
{
    std::string text;
    try {
        text = document.dump(4, ' ', false, json::error_handler_t::strict);
    } catch (const json::exception&) {
        // strings come from QString or the parser, both valid UTF-8; should one
        // not be, write it mended rather than not at all
        text = document.dump(4, ' ', false, json::error_handler_t::replace);
    }
    QByteArray out;
    out.reserve(int(text.size() + text.size() / 16));
    for (char c : text) {
        if (c == '\n')
            out.append('\r');
        out.append(c);
    }
    return out;
}

int jsonDepth(const QByteArray& text, int limit)
{
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit)
                return deepest;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

bool parseConfigText(const QByteArray& text, json* document, QString* reason)
{
    if (text.size() > Config::MAX_FILE_SIZE) {
        *reason = QStringLiteral("larger than %1 bytes").arg(Config::MAX_FILE_SIZE);
        return false;
    }
    // deep nesting would overflow the parser's stack and grow without bound
    // when saved with an indent
    if (jsonDepth(text, Config::MAX_DEPTH) > Config::MAX_DEPTH) {
        *reason = QStringLiteral("nested deeper than %1 levels").arg(Config::MAX_DEPTH);
        return false;
    }
    json parsed;
    try {
        parsed = json::parse(text.constData(), text.constData() + text.size());
    } catch (const std::exception& e) {
        // parse errors, and numbers too large for a double
        *reason = QString::fromUtf8(e.what());
        return false;
    }
    if (!parsed.is_object()) {
        *reason = QStringLiteral("does not hold an object");
        return false;
    }
    *document = std::move(parsed);
    return true;
}
