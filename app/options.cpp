// Options: the command line of kolvar.
#include "app/options.h"

#include "console/commandline.h"

#include <QFile>
#include <iostream>

bool parseOptions(int argc, char** argv, Options& options, int& exitStatus) {
    CommandLine line("kolvar", "[MAP]",
                     "Een 3D-wereld om door te wandelen en met de auto's te rijden, gelezen uit "
                     "de XML-map MAP.\n"
                     "\n"
                     "MAP is standaard maps/basicMap.xml in de huidige map, en anders de "
                     "meegeleverde wereld.\n"
                     "Ligt MAP in een map maps/, dan werkt Kolvar vanuit de map die maps/ bevat.\n"
                     "De toetsen staan linksboven in het venster en in README.md "
                     "(share/doc/kolvar/).");
    line.addOption(QCommandLineOption(
        "check", "leest en controleert MAP zonder venster; status 0: geen problemen, "
                 "1: waarschuwingen, 2: fouten"));
    line.addOption(QCommandLineOption(
        "frames", "tekent N beelden zo snel als het kan, meldt de beeldtijden en stopt", "N"));
    line.addOption(QCommandLineOption(
        "frame-rate",
        "beelden per seconde voor deze keer: 0 is de verversing van het scherm, 20 een beeld per "
        "stap van de wereld, anders 10 tot 500 (de instelling frameRate in kolvar.ini)",
        "N"));
    line.addOption(QCommandLineOption(
        "frame-log",
        "schrijft een regel per getekend beeld naar FILE: ms_sinds_start oog_x oog_y oog_z "
        "yaw pitch",
        "FILE"));
    line.addOption(QCommandLineOption(
        {"q", "quiet"}, "laat de voortgangsregels weg (\"Texture inladen : ...\"); elk probleem "
                        "en de samenvatting blijven"));
    if (!line.parse(argc, argv, exitStatus))
        return false;
    options.check = line.isSet("check");
    options.quiet = line.isSet("quiet");
    if (line.isSet("frames")) {
        bool ok = false;
        options.frames = line.value("frames").toInt(&ok);
        if (!ok || options.frames <= 0) {
            exitStatus = line.refuse("--frames verwacht een aantal beelden groter dan 0");
            return false;
        }
    }
    if (line.isSet("frame-rate")) {
        bool ok = false;
        options.frameRate = line.value("frame-rate").toInt(&ok);
        if (!ok ||
            (options.frameRate != 0 && (options.frameRate < 10 || options.frameRate > 500))) {
            exitStatus = line.refuse("--frame-rate verwacht 0 of een aantal beelden per seconde "
                                     "van 10 tot 500");
            return false;
        }
    }
    if (line.isSet("frame-log"))
        options.frameLog = QFile::decodeName(line.value("frame-log").toLatin1());
    const QList<QByteArray>& maps = line.arguments();
    if (maps.size() > 1) {
        exitStatus = line.refuse("slechts een map kan geopend worden, niet ook " +
                                 QFile::decodeName(maps[1]));
        return false;
    }
    // An empty name is no map: a script whose map variable is unset would
    // otherwise open or check the default world and pass.
    if (!maps.isEmpty() && maps.first().isEmpty()) {
        std::cout << "kolvar: de naam van de map is leeg; geef een map of laat MAP weg\n";
        exitStatus = 2;
        return false;
    }
    if (!maps.isEmpty())
        options.givenMap = maps.first();
    return true;
}
