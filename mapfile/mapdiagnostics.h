// MapDiagnostics: the problems found while reading one map and its includes,
// printed in compiler style ("FILE:LINE:COLUMN: fout: ...") as they are
// found, each line once, and counted for the exit status of a check run.
#pragma once

#include <QString>
#include <set>
#include <string>

// A place in a map file; line and column count from 1.
struct MapPlace {
    QString file;
    int line = 1;
    int column = 1;
};

class MapDiagnostics {
public:
    MapDiagnostics() = default;
    virtual ~MapDiagnostics() = default;

    // A file could not be opened, read or parsed, or was refused.
    void error(const MapPlace& place, const QString& text);
    // Anything else: the map loads, but not as its author meant.
    void warning(const MapPlace& place, const QString& text);

    // 0 without problems, 1 with warnings only, 2 with any error.
    int exitStatus() const { return errors > 0 ? 2 : warnings > 0 ? 1 : 0; }

    int errors = 0;
    int warnings = 0;

private:
    void print(const MapPlace& place, const char* severity, const QString& text, int& count);

    // A file read twice (a diamond of includes) reports its problems once.
    std::set<std::string> printed;
};
