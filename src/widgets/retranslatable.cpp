#include "widgets/retranslatable.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <vector>

namespace {

std::vector<Retranslatable*>& registry()
{
    static std::vector<Retranslatable*> objects;
    return objects;
}

} // namespace

Retranslatable::Retranslatable()
{
    registry().push_back(this);
}

Retranslatable::~Retranslatable()
{
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

namespace trs {

QMap<QString, QString>& languages()
{
    static QMap<QString, QString> table;
    return table;
}

void initLanguages()
{
    auto& table = languages();
    table.clear();
    table.insert(QStringLiteral("Chinese"), QStringLiteral("zh_CN"));
    table.insert(QStringLiteral("English"), QStringLiteral("en_US"));
}

QTranslator& translator()
{
    static QTranslator t;
    return t;
}

QTranslator& toolkitTranslator()
{
    static QTranslator t;
    return t;
}

QStringList translationFolders(const QString& executableDir)
{
    QStringList folders{executableDir + QStringLiteral("/translations")};
#ifdef KLIPORA_DATA_FROM_BIN
    // An installed program keeps them under share/, relative to bin/ so that a
    // relocated prefix still finds them.
    folders << QDir::cleanPath(executableDir + QStringLiteral("/" KLIPORA_DATA_FROM_BIN "/translations"));
#endif
    return folders;
}

bool loadLanguageFrom(const QString& code, const QStringList& folders)
{
    const QString base = QStringLiteral("klipora_") + code;
    bool loaded = false;
    for (const QString& folder : folders) {
        loaded = translator().load(QLocale(), base, QStringLiteral("."), folder, QStringLiteral(".qm"));
        if (loaded)
            break;
    }
    if (loaded)
        qInfo().noquote() << "translation:" << translator().filePath();
    else
        qInfo() << "installTranslator faild";
    // installed once: a second install would list it twice
    QCoreApplication::removeTranslator(&translator());
    if (!QCoreApplication::installTranslator(&translator()))
        qInfo() << "installTranslator faild";

    // The toolkit's own texts (dialog buttons, the file and colour dialogs):
    // shipped beside the program, or the system's copy. English needs none,
    // and an empty translator leaves the toolkit's English in place.
    QTranslator& toolkit = toolkitTranslator();
    const QString qtbase = QStringLiteral("qtbase_") + code;
    bool toolkitLoaded = false;
    for (const QString& folder : folders) {
        toolkitLoaded = toolkit.load(qtbase, folder);
        if (toolkitLoaded)
            break;
    }
    if (!toolkitLoaded && !toolkit.load(qtbase, QLibraryInfo::location(QLibraryInfo::TranslationsPath))
        && !code.startsWith(QLatin1String("en")))
        qInfo().noquote() << "no toolkit translation for" << code;
    QCoreApplication::removeTranslator(&toolkit);
    QCoreApplication::installTranslator(&toolkit);
    return loaded;
}

bool loadLanguage(const QString& code)
{
    return loadLanguageFrom(code, translationFolders(QCoreApplication::applicationDirPath()));
}

void retranslateAll()
{
    // A copy: an object may register or go away while it retranslates.
    const auto objects = registry();
    for (Retranslatable* object : objects)
        object->retranslate();
}

void setLanguage(const QString& code)
{
    loadLanguage(code);
    retranslateAll();
}

int registeredCount()
{
    return int(registry().size());
}

} // namespace trs
