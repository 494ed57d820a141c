#include "core/config.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

enum class Kind { Boolean, Integer, String };

struct SchemaKey
{
    const char* path[5]; // key path, null-terminated
    Kind kind;
    json value;          // null for the two output folders
};

// Every key of the document with its default.
const std::vector<SchemaKey>& schema()
{
    static const std::vector<SchemaKey> keys = {
        {{"kliporaautorun"}, Kind::Boolean, false},
        {{"language"}, Kind::String, "zh_CN"},
        {{"detectwindow"}, Kind::Boolean, true},
        {{"snip", "hotkey"}, Kind::String, "F1"},
        {{"snip", "selector", "border", "width"}, Kind::Integer, 1},
        {{"snip", "selector", "border", "color"}, Kind::String, "#409EFF"},
        {{"snip", "selector", "border", "style"}, Kind::Integer, 4},
        {{"snip", "selector", "mask", "color"}, Kind::String, "#88000000"},
        {{"pin", "hotkey"}, Kind::String, "F3"},
        {{"record", "hotkey"}, Kind::String, "Ctrl+Alt+V"},
        {{"record", "framerate"}, Kind::Integer, 30},
        {{"record", "path"}, Kind::String, nullptr},
        {{"record", "selector", "border", "width"}, Kind::Integer, 1},
        {{"record", "selector", "border", "color"}, Kind::String, "#ffff5500"},
        {{"record", "selector", "border", "style"}, Kind::Integer, 4},
        {{"record", "selector", "mask", "color"}, Kind::String, "#88000000"},
        {{"gif", "hotkey"}, Kind::String, "Ctrl+Alt+G"},
        {{"gif", "framerate"}, Kind::Integer, 6},
        {{"gif", "path"}, Kind::String, nullptr},
        {{"gif", "selector", "border", "width"}, Kind::Integer, 1},
        {{"gif", "selector", "border", "color"}, Kind::String, "#ffff00ff"},
        {{"gif", "selector", "border", "style"}, Kind::Integer, 4},
        {{"gif", "selector", "mask", "color"}, Kind::String, "#88000000"},
    };
    return keys;
}

bool hasKind(const json& v, Kind kind)
{
    switch (kind) {
    case Kind::Boolean: return v.is_boolean();
    case Kind::Integer: return v.is_number();
    case Kind::String: return v.is_string();
    }
    return false;
}

QString joinPath(const SchemaKey& key, int depth)
{
    QStringList parts;
    for (int i = 0; i < depth; ++i)
        parts << QString::fromUtf8(key.path[i]);
    return parts.join(QStringLiteral(" / "));
}

QString writableFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.isEmpty() && !QDir(folder).exists())
        QDir().mkpath(folder);
    return folder;
}

} // namespace

Config& Config::instance()
{
    static Config config;
    return config;
}

Config::Config(const QString& folder, QObject* parent)
    : QObject(parent)
    , document(json::parse("{}"))
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

    QByteArray text;
    QFile file(path);
    // ReadWrite creates the empty file of a first start, as the user expects to
    // find it; it is only written on the first change.
    if (file.open(QIODevice::ReadWrite | QIODevice::Text))
        text = file.readAll();
    try {
        document = json::parse(text.constData(), text.constData() + text.size());
    } catch (const json::parse_error&) {
        document = json::parse("{}");
    }
    if (!document.is_object()) {
        qWarning() << "config.json does not hold an object; using the defaults";
        document = json::parse("{}");
    }
    complete();
    connect(this, &Config::changed, this, &Config::save);
}

// Fills every missing key with its default. A value of the wrong type, or a
// section that is not an object, falls back to the default too: readers then
// never meet a type they cannot convert.
void Config::complete()
{
    for (const SchemaKey& key : schema()) {
        json* node = &document;
        int depth = 0;
        while (key.path[depth + 1]) {
            json& next = (*node)[key.path[depth]];
            ++depth;
            if (!next.is_null() && !next.is_object()) {
                qWarning() << "config value" << joinPath(key, depth) << "is not an object; using the defaults";
                next = json::object();
            }
            node = &next;
        }
        json& leaf = (*node)[key.path[depth]];
        if (!leaf.is_null() && !hasKind(leaf, key.kind)) {
            qWarning() << "config value" << joinPath(key, depth + 1) << "has the wrong type; using the default";
            leaf = nullptr;
        }
        if (leaf.is_null()) {
            if (!key.value.is_null())
                leaf = key.value;
            else if (qstrcmp(key.path[0], "record") == 0)
                leaf = videoFolder.toStdString();
            else
                leaf = gifFolder.toStdString();
        }
    }
}

QString Config::videoPath() const
{
    const QString p = jsonString(document.value("record", json::object()).value("path", json()));
    return p.isEmpty() ? videoFolder : p;
}

QString Config::gifPath() const
{
    const QString p = jsonString(document.value("gif", json::object()).value("path", json()));
    return p.isEmpty() ? gifFolder : p;
}

template<>
void Config::set<QString>(json& node, const QString& value)
{
    node = value.toStdString();
    emit changed();
}

template<>
void Config::set<QKeySequence>(json& node, const QKeySequence& value)
{
    node = value.toString(QKeySequence::PortableText).toStdString();
    emit changed();
}

bool Config::save()
{
    // QSaveFile writes beside the file and renames over it on commit: a crash
    // or a full disk leaves the previous file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    const QByteArray text = serializeConfig(document);
    // commit() alone would rename a half-written file into place when the
    // buffered data fail to reach the disk: check the flush ourselves.
    if (file.write(text) != text.size() || !file.flush()) {
        qWarning() << "cannot write" << path << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "cannot write" << path << file.errorString();
        return false;
    }
    return true;
}

QByteArray serializeConfig(const json& document)
{
    const std::string text = document.dump(4, ' ', false, json::error_handler_t::strict);
    QByteArray out;
    out.reserve(int(text.size() + text.size() / 16));
    for (char c : text) {
        if (c == '\n')
            out.append('\r');
        out.append(c);
    }
    return out;
}

QString jsonString(const json& value, const QString& fallback)
{
    return value.is_string() ? QString::fromStdString(value.get<std::string>()) : fallback;
}

int jsonInt(const json& value, int fallback)
{
    return value.is_number() ? value.get<int>() : fallback;
}

bool jsonBool(const json& value, bool fallback)
{
    return value.is_boolean() ? value.get<bool>() : fallback;
}
