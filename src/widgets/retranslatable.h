#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

class QTranslator;

// Mix-in for objects that want to hear about a language change.
class Retranslatable
{
public:
    Retranslatable();
    Retranslatable(const Retranslatable&) = delete;
    Retranslatable& operator=(const Retranslatable&) = delete;
    virtual ~Retranslatable();

    virtual void retranslate() = 0;
};

namespace trs {

// Display name → language code, ordered by display name.
void initLanguages();
QMap<QString, QString>& languages();

// Loads "klipora_<code>.qm" from the translations folder beside the executable
// or, for an installed program, from share/klipora/translations, and installs
// it; a failed load leaves the English source texts.
bool loadLanguage(const QString& code);
// The same from the first of these folders that holds the file.
bool loadLanguageFrom(const QString& code, const QStringList& folders);
// Where an executable in this folder looks, in order.
QStringList translationFolders(const QString& executableDir);
void retranslateAll();
void setLanguage(const QString& code);

// The registered objects, in order of construction.
int registeredCount();
QTranslator& translator();
// The toolkit's own translation for the same language.
QTranslator& toolkitTranslator();

} // namespace trs
