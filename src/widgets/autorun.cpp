#include "widgets/autorun.h"

#include <QDir>
#include <QStandardPaths>

namespace autorun {

QString desktopEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/klipora.desktop");
}

QString execArgument(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = program.isEmpty();
    for (const QChar c : program) {
        if (reserved.contains(c)) {
            quote = true;
            break;
        }
    }
    QString arg;
    if (quote) {
        arg += QLatin1Char('"');
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                arg += QLatin1Char('\\');
            arg += c;
        }
        arg += QLatin1Char('"');
    } else {
        arg = program;
    }

    // Then the escapes of a desktop entry string value, and the field-code
    // percent sign.
    QString value;
    value.reserve(arg.size() + 8);
    for (const QChar c : arg) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else if (c == QLatin1Char('%'))
            value += QStringLiteral("%%");
        else
            value += c;
    }
    return value;
}

QByteArray desktopEntry(const QString& program, bool enabled)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Klipora\n"
                                  "Comment=Screen capture from the notification area\n");
    text += QStringLiteral("Exec=") + execArgument(program) + QLatin1Char('\n');
    text += QStringLiteral("Icon=klipora\nTerminal=false\n");
    if (!enabled)
        text += QStringLiteral("Hidden=true\n");
    return text.toUtf8();
}

QString runValue(const QString& program, bool enabled)
{
    if (!enabled)
        return QString();
    return QLatin1Char('"') + QDir::toNativeSeparators(program) + QLatin1Char('"');
}

} // namespace autorun
