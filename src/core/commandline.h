#pragma once

#include <QCoreApplication>
#include <QRect>
#include <QString>
#include <QStringList>

// What the user asked for on the command line. Parsing is pure: nothing
// runs until the whole line is known to be good.
struct CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum Command { START, SNIP, SHOT, PIN, RECORD, SCROLL, SETTINGS, QUIT, HELP, VERSION };

    Command command = START;
    int delayMs = 0;
    bool hasRegion = false;
    QRect region;
    QString path;       // shot --path, scroll --path
    bool clipboard = false; // shot --clipboard
    QStringList files;  // pin
    bool gif = false;   // record --gif

    // The same line as arguments again; relative paths as they were given.
    QStringList toArguments() const;
    bool operator==(const CommandLine& other) const;
};

struct ParsedCommandLine
{
    CommandLine line;
    // 0 when the line is good, 2 for a usage error
    int status = 0;
    QString error;
};

// Upper bound of --delay: one hour.
constexpr int MAX_DELAY_MS = 3600 * 1000;

// args without the program name.
ParsedCommandLine parseCommandLine(const QStringList& args);
// "X,Y,W,H" with a positive width and height; false for anything else.
bool parseRegion(const QString& text, QRect* region);
// The image formats `shot --path` writes, by lower-case extension.
QStringList shotFormats();
QString usageText();
QString versionText();
// File arguments made absolute against a working folder, so another
// process can use them.
CommandLine withAbsolutePaths(CommandLine line, const QString& workingDir);
