// MapDiagnostics: one located console line per problem.
#include "mapfile/mapdiagnostics.h"

#include <iostream>

void MapDiagnostics::error(const MapPlace& place, const QString& text) {
    print(place, "fout", text, errors);
}

void MapDiagnostics::warning(const MapPlace& place, const QString& text) {
    print(place, "waarschuwing", text, warnings);
}

namespace {

// The text with every control character (C0, DEL, C1) written as \xNN: a
// key or file name from a map may hold them through character references,
// and a line break or terminal escape in it would forge or garble the
// console, whose lines are one per problem.
QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort code = c.unicode();
        if (code < 0x20 || (code >= 0x7f && code <= 0x9f))
            out += QString("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace

void MapDiagnostics::print(const MapPlace& place, const char* severity, const QString& text,
                           int& count) {
    const std::string line =
        printable(place.file + ':' + QString::number(place.line) + ':' +
                  QString::number(place.column) + ": " + QLatin1String(severity) + ": " + text)
            .toStdString();
    if (!printed.insert(line).second)
        return;
    ++count;
    std::cout << line << "\n";
}
