// MapDiagnostics: one located console line per problem.
#include "mapfile/mapdiagnostics.h"

#include "console/printable.h"

#include <iostream>

namespace {

// A key or file name from a map may hold control characters through
// character references: the line goes through the console's printable.
QString printableLine(const QString& text) {
    return QString::fromStdString(printable(text.toStdString()));
}

constexpr int kMaxQuotedLength = 80; // characters of a key or value shown in a message

} // namespace

QString placeText(const MapPlace& place) {
    return place.file + ':' + QString::number(place.line) + ':' + QString::number(place.column);
}

QString quoted(const QString& text) {
    if (text.size() <= kMaxQuotedLength)
        return '"' + text + '"';
    return '"' + text.left(kMaxQuotedLength) + "\"... (" + QString::number(text.size()) +
           " tekens)";
}

QString quoted(const std::string& text) {
    return quoted(QString::fromStdString(text));
}

void MapDiagnostics::error(const MapPlace& place, const QString& text, const char* kind) {
    report(place, true, text, kind);
}

void MapDiagnostics::warning(const MapPlace& place, const QString& text, const char* kind) {
    report(place, false, text, kind);
}

void MapDiagnostics::report(const MapPlace& place, bool isError, const QString& text,
                            const char* kind) {
    if (kind) {
        const auto key = std::make_pair(place.file, std::string(kind));
        int& shown = perKind[key];
        if (shown >= kMaxPerKind) {
            // Counted once per place: a diamond include reads a file twice.
            const std::string line = placeText(place).toStdString() + '\n' + text.toStdString();
            if (!printed.insert(line).second)
                return;
            Held& more = held[key];
            if (more.count == 0)
                more.place = place;
            more.error = more.error || isError;
            ++more.count;
            ++(isError ? errors : warnings);
            return;
        }
        ++shown;
    }
    print(place, isError ? "fout" : "waarschuwing", text);
}

void MapDiagnostics::print(const MapPlace& place, const char* severity, const QString& text) {
    const QString line =
        printableLine(placeText(place) + ": " + QLatin1String(severity) + ": " + text);
    if (!printed.insert(line.toStdString()).second)
        return;
    if (severity[0] == 'f') {
        ++errors;
        if (firstError.isEmpty())
            firstError = line;
    } else {
        ++warnings;
    }
    if (firstLines.size() < kKeptLines)
        firstLines.append(line);
    std::cout << line.toStdString() << "\n";
}

void MapDiagnostics::finish() {
    for (const auto& [key, more] : held) {
        const QString line = printableLine(
            placeText(more.place) + ": " + (more.error ? "fout" : "waarschuwing") +
            QString(": en nog %1 meldingen van deze soort (%2) in dit bestand, niet getoond")
                .arg(more.count)
                .arg(QString::fromStdString(key.second)));
        std::cout << line.toStdString() << "\n";
    }
    held.clear();
}
