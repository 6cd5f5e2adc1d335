// MapDiagnostics: the problems found while reading one map and its includes,
// printed in compiler style ("FILE:LINE:COLUMN: fout: ...") as they are
// found, each line once, and counted for the exit status of a check run.
// After kMaxPerKind problems of one kind in one file the rest are counted,
// not printed, and finish() says how many there were.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <string>

// A place in a map file; line and column count from 1.
struct MapPlace {
    QString file;
    int line = 1;
    int column = 1;
};

// "FILE:LINE:COLUMN".
QString placeText(const MapPlace& place);
// A key or value in a message, in double quotes; one longer than 80
// characters is cut short and its length given, so that a 100,000-character
// key does not make every line that names it as long.
QString quoted(const QString& text);
QString quoted(const std::string& text);

class MapDiagnostics {
public:
    static constexpr int kMaxPerKind = 100; // lines of one kind printed for one file

    MapDiagnostics() = default;
    virtual ~MapDiagnostics() = default;

    // A file could not be opened, read or parsed, or was refused. kind, when
    // given, groups problems that one map may hold by the thousand ("attribuut");
    // without it, the text is its own kind.
    void error(const MapPlace& place, const QString& text, const char* kind = nullptr);
    // Anything else: the map loads, but not as its author meant.
    void warning(const MapPlace& place, const QString& text, const char* kind = nullptr);
    // Prints, for every kind that went over kMaxPerKind in a file, one line
    // with the number not shown.
    void finish();

    int errors = 0;
    int warnings = 0;
    QString firstError; // the first error line printed, for the window's overlay
    // The first kKeptLines problem lines printed, errors and warnings in the
    // order found, for the window's overlay.
    static constexpr int kKeptLines = 8;
    QStringList firstLines;

private:
    struct Held {
        MapPlace place; // of the first not shown
        bool error = false;
        int count = 0;
    };
    void report(const MapPlace& place, bool isError, const QString& text, const char* kind);
    void print(const MapPlace& place, const char* severity, const QString& text);

    std::set<std::string> printed; // a file read twice (a diamond of includes) reports once
    std::map<std::pair<QString, std::string>, int> perKind; // (file, kind) -> lines printed
    std::map<std::pair<QString, std::string>, Held> held;   // beyond kMaxPerKind
};
