// CommandLine: QCommandLineParser without an application instance, and the usage text.
#include "console/commandline.h"

#include <QStringList>
#include <iostream>

namespace {
constexpr int kOptionColumn = 22; // characters before an option's description in the usage
} // namespace

CommandLine::CommandLine(const QString& program, const QString& arguments, const QString& about)
    : program(program), argumentsText(arguments), about(about) {
    addOption(QCommandLineOption({"h", "help"}, "toont deze hulp"));
    addOption(QCommandLineOption({"v", "version"}, "toont de versie"));
}

void CommandLine::addOption(const QCommandLineOption& option) {
    options.append(option);
    parser.addOption(option);
}

QString CommandLine::version() {
    return QStringLiteral(KOLVAR_VERSION);
}

bool CommandLine::parse(int argc, char** argv, int& exitStatus) {
    // NOTE: the parser takes strings, file names are bytes: each argument
    // goes in as Latin-1, one character per byte, and comes out again as
    // the same bytes. Option names are ASCII either way.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLatin1(argv[i]);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        // Otherwise an option that takes a value came last, without one.
        exitStatus =
            refuse(unknown.isEmpty()
                       ? "optie " + arguments.last() + " verwacht een waarde"
                       : "onbekende optie " + QString(unknown.first().size() == 1 ? "-" : "--") +
                             unknown.first());
        return false;
    }
    if (parser.isSet("help")) {
        std::cout << usage().toStdString();
        exitStatus = 0;
        return false;
    }
    if (parser.isSet("version")) {
        std::cout << program.toStdString() << " " << version().toStdString() << "\n";
        exitStatus = 0;
        return false;
    }
    for (const QString& argument : parser.positionalArguments())
        positional.append(argument.toLatin1());
    return true;
}

int CommandLine::refuse(const QString& text) const {
    std::cout << program.toStdString() << ": " << text.toStdString() << "\n"
              << usage().toStdString();
    return 2;
}

QString CommandLine::usage() const {
    QString text = "gebruik: " + program + " [OPTIE]... " + argumentsText + "\n";
    const QStringList aboutLines = about.split('\n');
    text += aboutLines.first() + "\n\nOpties:\n";
    for (const QCommandLineOption& option : options) {
        QStringList names;
        for (const QString& name : option.names())
            names << (name.size() == 1 ? "-" : "--") + name;
        QString left = "  " + names.join(", ");
        if (!option.valueName().isEmpty())
            left += " " + option.valueName();
        text += left.leftJustified(kOptionColumn - 1) + " " + option.description() + "\n";
    }
    for (int i = 1; i < aboutLines.size(); ++i)
        text += aboutLines[i] + "\n";
    return text;
}
