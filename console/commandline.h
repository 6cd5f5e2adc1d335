// CommandLine: the command line of kolvar and of its tools, read with
// QCommandLineParser before any Qt application exists, so that --help,
// --version and a refused option need no display. Every program knows -h,
// --help and -v, --version; an option it does not know is refused with the
// usage and status 2, and "--" ends the options, so a file named like an
// option can still be given.
#pragma once

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

class CommandLine {
public:
    // program: its name in the usage; arguments: what follows the options
    // there ("[MAP]"); about: what the program does, and any lines after the options.
    CommandLine(const QString& program, const QString& arguments, const QString& about);
    virtual ~CommandLine() = default;

    // An option of this program (besides help and version).
    void addOption(const QCommandLineOption& option);
    // Reads argv. False when the program ends now with exitStatus: after the
    // help or the version (0), or after a refused option (2).
    bool parse(int argc, char** argv, int& exitStatus);
    // Prints "program: text" and the usage; the status of a refused command line (2).
    int refuse(const QString& text) const;

    bool isSet(const QString& name) const { return parser.isSet(name); }
    QString value(const QString& name) const { return parser.value(name); }
    // The arguments that are not options, as the bytes the system gave.
    const QList<QByteArray>& arguments() const { return positional; }

    QString usage() const;
    // The version of the build, "x.y.z".
    static QString version();

private:
    QString program, argumentsText, about;
    QList<QCommandLineOption> options; // in the order of the usage
    QCommandLineParser parser;
    QList<QByteArray> positional;
};
