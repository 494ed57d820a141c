#include "widgets/retranslatable.h"

#include <QCoreApplication>
#include <QDebug>
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

bool loadLanguage(const QString& code)
{
    const QString base = QStringLiteral("klipora_") + code;
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    const bool loaded = translator().load(QLocale(), base, QStringLiteral("."), folder, QStringLiteral(".qm"));
    if (!loaded)
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
    if (!toolkit.load(qtbase, folder) && !toolkit.load(qtbase, QLibraryInfo::location(QLibraryInfo::TranslationsPath))
        && !code.startsWith(QLatin1String("en")))
        qInfo().noquote() << "no toolkit translation for" << code;
    QCoreApplication::removeTranslator(&toolkit);
    QCoreApplication::installTranslator(&toolkit);
    return loaded;
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
