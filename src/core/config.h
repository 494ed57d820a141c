#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <nlohmann/json.hpp>

using json = nlohmann::json;

// The process-wide settings document, backed by config.json. Components read
// their values straight out of the document; editors change it and emit
// changed(), which first saves the file and then reaches the application.
class Config : public QObject
{
    Q_OBJECT
public:
    static Config& instance();

    // The folder is the per-user configuration folder unless one is given
    // (tests and tools point it elsewhere).
    explicit Config(const QString& folder = QString(), QObject* parent = nullptr);

    json& operator[](const char* key) { return document[key]; }
    json& operator[](const std::string& key) { return document[key]; }
    const json& doc() const { return document; }

    QString filePath() const { return path; }
    QString videoPath() const;
    QString gifPath() const;

    template<typename T>
    void set(json& node, const T& value);

signals:
    void changed();

public slots:
    // Writes the whole document atomically; false when the file could not be
    // replaced (the previous file then stays whole).
    bool save();

private:
    void complete();

    QString path;
    QString videoFolder;
    QString gifFolder;
    json document;
};

// The serialised form of a document: sorted keys, 4-space indent, CR LF line
// ends, UTF-8 unescaped, no newline after the last brace.
QByteArray serializeConfig(const json& document);

// Typed readers that never throw: the default when the value has another type.
QString jsonString(const json& value, const QString& fallback = QString());
int jsonInt(const json& value, int fallback = 0);
bool jsonBool(const json& value, bool fallback = false);
