// MapDiagnostics: one located console line per problem.
#include "mapfile/mapdiagnostics.h"

#include "console/printable.h"

#include <iostream>

void MapDiagnostics::error(const MapPlace& place, const QString& text) {
    print(place, "fout", text, errors);
}

void MapDiagnostics::warning(const MapPlace& place, const QString& text) {
    print(place, "waarschuwing", text, warnings);
}

void MapDiagnostics::print(const MapPlace& place, const char* severity, const QString& text,
                           int& count) {
    // A key or file name from a map may hold control characters through
    // character references.
    const std::string line =
        printable((place.file + ':' + QString::number(place.line) + ':' +
                   QString::number(place.column) + ": " + QLatin1String(severity) + ": " + text)
                      .toStdString());
    if (!printed.insert(line).second)
        return;
    ++count;
    std::cout << line << "\n";
}
