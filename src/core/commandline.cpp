#include "commandline.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

ParsedCommandLine usageError(const QString& message)
{
    ParsedCommandLine parsed;
    parsed.status = 2;
    parsed.error = message;
    return parsed;
}

bool parseDelay(const QString& text, int* ms)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    }
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value > MAX_DELAY_MS)
        return false;
    *ms = int(value);
    return true;
}

bool parseStrictInt(const QString& text, int* value)
{
    // toInt accepts surrounding spaces and a leading '+'; a region is typed
    // by scripts, and a stray character there is more likely a mistake
    if (text.isEmpty() || text.trimmed() != text || text.startsWith(QLatin1Char('+')))
        return false;
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

} // namespace

bool parseRegion(const QString& text, QRect* region)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        if (!parseStrictInt(parts[i], &v[i]))
            return false;
    }
    constexpr int LIMIT = 1 << 20;
    if (v[2] <= 0 || v[3] <= 0 || v[2] > LIMIT || v[3] > LIMIT || qAbs(v[0]) > LIMIT || qAbs(v[1]) > LIMIT)
        return false;
    *region = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

QStringList shotFormats()
{
    return {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp")};
}

ParsedCommandLine parseCommandLine(const QStringList& args)
{
    ParsedCommandLine parsed;
    CommandLine& line = parsed.line;
    if (args.isEmpty())
        return parsed;

    for (const QString& arg : args) {
        if (arg == QLatin1String("--"))
            break;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.command = CommandLine::HELP;
            return parsed;
        }
    }

    const QString& name = args.first();
    if (name == QLatin1String("--version")) {
        if (args.size() > 1)
            return usageError(CommandLine::tr("--version takes no arguments"));
        line.command = CommandLine::VERSION;
        return parsed;
    }
    struct Known
    {
        const char* name;
        CommandLine::Command command;
    };
    static const Known commands[] = {
        {"snip", CommandLine::SNIP},         {"shot", CommandLine::SHOT}, {"pin", CommandLine::PIN},
        {"record", CommandLine::RECORD},     {"scroll", CommandLine::SCROLL},
        {"settings", CommandLine::SETTINGS},
        {"quit", CommandLine::QUIT},
    };
    bool found = false;
    for (const Known& known : commands) {
        if (name == QLatin1String(known.name)) {
            line.command = known.command;
            found = true;
        }
    }
    if (!found) {
        if (name.startsWith(QLatin1Char('-')))
            return usageError(CommandLine::tr("unknown option '%1'").arg(name));
        return usageError(CommandLine::tr("unknown command '%1'").arg(name));
    }

    // Which options each command takes.
    const bool takesDelay = line.command == CommandLine::SNIP || line.command == CommandLine::SHOT;
    const bool takesRegion = line.command == CommandLine::SHOT || line.command == CommandLine::RECORD;
    const bool takesOutput = line.command == CommandLine::SHOT;
    const bool takesPath = takesOutput || line.command == CommandLine::SCROLL;
    const bool takesGif = line.command == CommandLine::RECORD;
    const bool takesFiles = line.command == CommandLine::PIN;

    bool seenDelay = false;
    bool seenPath = false;
    bool filesOnly = false;
    for (int i = 1; i < args.size(); ++i) {
        QString arg = args[i];
        if (takesFiles && (filesOnly || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-"))) {
            if (arg.isEmpty())
                return usageError(CommandLine::tr("an empty file name"));
            line.files << arg;
            continue;
        }
        if (takesFiles && arg == QLatin1String("--")) {
            filesOnly = true;
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")))
            return usageError(CommandLine::tr("unexpected argument '%1' for %2").arg(arg, name));

        // --name=value and --name value
        QString value;
        bool inlineValue = false;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            inlineValue = true;
        }
        const bool wantsValue = arg == QLatin1String("--delay") || arg == QLatin1String("--region")
            || arg == QLatin1String("--path");
        const bool allowed = (arg == QLatin1String("--delay") && takesDelay)
            || (arg == QLatin1String("--region") && takesRegion)
            || (arg == QLatin1String("--path") && takesPath)
            || (arg == QLatin1String("--clipboard") && takesOutput)
            || (arg == QLatin1String("--gif") && takesGif);
        if (!allowed) {
            const bool known = wantsValue || arg == QLatin1String("--clipboard") || arg == QLatin1String("--gif");
            return usageError(known ? CommandLine::tr("%1 does not take %2").arg(name, arg) : CommandLine::tr("unknown option '%1'").arg(arg));
        }
        if (wantsValue && !inlineValue) {
            if (i + 1 >= args.size())
                return usageError(CommandLine::tr("%1 needs a value").arg(arg));
            value = args[++i];
        } else if (!wantsValue && inlineValue) {
            return usageError(CommandLine::tr("%1 takes no value").arg(arg));
        }

        if (arg == QLatin1String("--delay")) {
            if (seenDelay)
                return usageError(CommandLine::tr("%1 given twice").arg(arg));
            seenDelay = true;
            if (!parseDelay(value, &line.delayMs))
                return usageError(CommandLine::tr("--delay wants milliseconds from 0 to %1, not '%2'").arg(MAX_DELAY_MS).arg(value));
        } else if (arg == QLatin1String("--region")) {
            if (line.hasRegion)
                return usageError(CommandLine::tr("%1 given twice").arg(arg));
            if (!parseRegion(value, &line.region))
                return usageError(CommandLine::tr("--region wants X,Y,W,H with a positive width and height, not '%1'").arg(value));
            line.hasRegion = true;
        } else if (arg == QLatin1String("--path")) {
            if (seenPath)
                return usageError(CommandLine::tr("%1 given twice").arg(arg));
            seenPath = true;
            if (value.isEmpty())
                return usageError(CommandLine::tr("--path needs a file name"));
            const QString suffix = QFileInfo(value).suffix().toLower();
            if (!shotFormats().contains(suffix))
                return usageError(CommandLine::tr("cannot tell the image format of '%1': use a name ending in %2")
                                      .arg(value, QStringLiteral(".png, .jpg, .jpeg or .bmp")));
            line.path = value;
        } else if (arg == QLatin1String("--clipboard")) {
            if (line.clipboard)
                return usageError(CommandLine::tr("%1 given twice").arg(arg));
            line.clipboard = true;
        } else if (arg == QLatin1String("--gif")) {
            if (line.gif)
                return usageError(CommandLine::tr("%1 given twice").arg(arg));
            line.gif = true;
        }
    }

    if (line.command == CommandLine::SHOT) {
        if (seenPath && line.clipboard)
            return usageError(CommandLine::tr("shot takes either --path or --clipboard, not both"));
        if (!seenPath && !line.clipboard)
            return usageError(CommandLine::tr("shot needs --path FILE or --clipboard"));
    }
    return parsed;
}

QStringList CommandLine::toArguments() const
{
    QStringList args;
    const auto regionText = [this] {
        return QStringLiteral("%1,%2,%3,%4").arg(region.x()).arg(region.y()).arg(region.width()).arg(region.height());
    };
    switch (command) {
    case START:
        break;
    case SNIP:
        args << QStringLiteral("snip");
        if (delayMs > 0)
            args << QStringLiteral("--delay") << QString::number(delayMs);
        break;
    case SHOT:
        args << QStringLiteral("shot");
        if (hasRegion)
            args << QStringLiteral("--region") << regionText();
        if (delayMs > 0)
            args << QStringLiteral("--delay") << QString::number(delayMs);
        if (clipboard)
            args << QStringLiteral("--clipboard");
        else
            args << QStringLiteral("--path") << path;
        break;
    case PIN:
        args << QStringLiteral("pin");
        if (!files.isEmpty())
            args << QStringLiteral("--") << files;
        break;
    case RECORD:
        args << QStringLiteral("record");
        if (gif)
            args << QStringLiteral("--gif");
        if (hasRegion)
            args << QStringLiteral("--region") << regionText();
        break;
    case SCROLL:
        args << QStringLiteral("scroll");
        if (!path.isEmpty())
            args << QStringLiteral("--path") << path;
        break;
    case SETTINGS:
        args << QStringLiteral("settings");
        break;
    case QUIT:
        args << QStringLiteral("quit");
        break;
    case HELP:
        args << QStringLiteral("--help");
        break;
    case VERSION:
        args << QStringLiteral("--version");
        break;
    }
    return args;
}

bool CommandLine::operator==(const CommandLine& o) const
{
    return command == o.command && delayMs == o.delayMs && hasRegion == o.hasRegion
        && (!hasRegion || region == o.region) && path == o.path && clipboard == o.clipboard && files == o.files
        && gif == o.gif;
}

CommandLine withAbsolutePaths(CommandLine line, const QString& workingDir)
{
    const QDir dir(workingDir);
    if (!line.path.isEmpty())
        line.path = QDir::cleanPath(dir.absoluteFilePath(line.path));
    for (QString& file : line.files)
        file = QDir::cleanPath(dir.absoluteFilePath(file));
    return line;
}

QString usageText()
{
    return CommandLine::tr("Usage:\n"
              "  klipora                      start in the tray (once: a second start says so and exits)\n"
              "  klipora snip [--delay MS]    open the screenshot overlay\n"
              "  klipora shot [--region X,Y,W,H] [--delay MS] (--path FILE | --clipboard)\n"
              "                               capture without the overlay: the whole desktop or the region,\n"
              "                               to a file (.png, .jpg, .jpeg, .bmp) or the clipboard\n"
              "  klipora pin [FILE...]        pin the files at the cursor, or the newest clipboard item\n"
              "  klipora record [--gif] [--region X,Y,W,H]\n"
              "                               start or stop a recording; with --region the selector is skipped\n"
              "  klipora scroll [--path FILE] a scrolling screenshot of a region, copied and pinned, or saved\n"
              "  klipora settings | quit      open the settings window | end the running Klipora\n"
              "  klipora --help | --version\n"
              "\n"
              "A command reaches the running Klipora and starts one in the background when none runs.\n"
              "Escape cancels a --delay countdown.\n"
              "Exit status: 0 done, 1 failed (the reason on stderr), 2 usage error.\n");
}

QString versionText()
{
    return QStringLiteral("klipora " KLIPORA_VERSION "\n");
}
