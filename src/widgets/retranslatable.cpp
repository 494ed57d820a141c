#include "widgets/retranslatable.h"

#include <QCoreApplication>
#include <QDebug>
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

bool loadLanguage(const QString& code)
{
    const QString base = QStringLiteral("klipora_") + code;
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    const bool loaded = translator().load(QLocale(), base, QStringLiteral("."), folder, QStringLiteral(".qm"));
    if (!loaded)
        qInfo() << "installTranslator faild";
    if (!QCoreApplication::installTranslator(&translator()))
        qInfo() << "installTranslator faild";
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
