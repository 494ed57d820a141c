#include "platform/hotkeybackend.h"

#include <QHash>

namespace {

// Qt's portable names that xkb spells differently.
QString xkbName(const QString& qtName)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("Esc"), QStringLiteral("Escape")},
        {QStringLiteral("Ins"), QStringLiteral("Insert")},
        {QStringLiteral("Del"), QStringLiteral("Delete")},
        {QStringLiteral("PgUp"), QStringLiteral("Prior")},
        {QStringLiteral("PgDown"), QStringLiteral("Next")},
        {QStringLiteral("Backspace"), QStringLiteral("BackSpace")},
        {QStringLiteral("Enter"), QStringLiteral("KP_Enter")},
        {QStringLiteral("Space"), QStringLiteral("space")},
        {QStringLiteral("ScrollLock"), QStringLiteral("Scroll_Lock")},
        {QStringLiteral("SysReq"), QStringLiteral("Sys_Req")},
        {QStringLiteral("Pause"), QStringLiteral("Pause")},
    };
    const auto it = names.constFind(qtName);
    if (it != names.constEnd())
        return it.value();
    // letters are lower-case keysyms; digits and F-keys keep their names
    if (qtName.size() == 1 && qtName.at(0).isLetter())
        return qtName.toLower();
    return qtName;
}

} // namespace

QString shellWord(const QString& word)
{
    static const QString plain = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+=:,");
    bool quote = word.isEmpty();
    for (const QChar c : word)
        quote = quote || !plain.contains(c);
    if (!quote)
        return word;
    QString quoted = word;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool HotkeyBackend::bindAction(const QString&, const QKeySequence&)
{
    return false;
}

QString xkbKeyName(const QKeySequence& keys)
{
    if (keys.isEmpty())
        return QString();
    const int key = keys[0] & ~int(Qt::KeyboardModifierMask);
    if (key == 0 || key == Qt::Key_unknown)
        return QString();
    const QString name = QKeySequence(key).toString(QKeySequence::PortableText);
    // "+" itself would split the combination in the configuration
    if (name.isEmpty() || name == QLatin1String("+"))
        return QString();
    return xkbName(name);
}

QString swayKeyName(const QKeySequence& keys)
{
    const QString key = xkbKeyName(keys);
    if (key.isEmpty())
        return QString();
    const int combined = keys[0];
    QStringList parts;
    if (combined & Qt::MetaModifier)
        parts << QStringLiteral("Mod4");
    if (combined & Qt::ControlModifier)
        parts << QStringLiteral("Ctrl");
    if (combined & Qt::AltModifier)
        parts << QStringLiteral("Alt");
    if (combined & Qt::ShiftModifier)
        parts << QStringLiteral("Shift");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

QStringList bindsymLines(const QVector<HotkeyCommand>& hotkeys, const QString& program)
{
    QStringList lines;
    for (const HotkeyCommand& hotkey : hotkeys) {
        const QString keys = swayKeyName(hotkey.keys);
        if (keys.isEmpty() || hotkey.command.isEmpty())
            continue;
        lines << QStringLiteral("bindsym %1 exec %2 %3").arg(keys, shellWord(program), hotkey.command);
    }
    return lines;
}
