// MapLoader: reads one XML map file, and every file it includes, into plain
// map data (mapdata.h), in one streaming pass per file. It makes no GL call
// and builds nothing: checks (mapcheck.h) and the world's builder take the
// data from here.
//
// Sections are found as root children named includes, camera, textures,
// lights, blueprints and objects; items are every element of the item name
// at any depth inside a section. A section missing from the root is read
// from the first element of its name elsewhere, but never from inside an
// item element (a blueprint's own <textures> is no section). An included file ("maps/" + name, from
// the working directory) is read completely, by a loader of its own, and comes before the including
// file in the data.
//
// What breaks the format is reported where it stands ("FILE:LINE:COLUMN:
// waarschuwing: ...") through the MapDiagnostics of the load: unknown
// sections, elements and attributes, values of the wrong kind, includes that
// cannot be read. A file that cannot be opened or is not well-formed
// contributes nothing.
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapdiagnostics.h"

#include <QString>
#include <QStringList>
#include <memory>

class XmlHandler;
class QXmlStreamReader;

class MapLoader {
public:
    static constexpr int kMaxIncludeDepth = 32;   // files on one include chain, the first included
    static constexpr int kMaxFilesPerLoad = 1024; // files read for one map, each read counted

    MapLoader();
    virtual ~MapLoader();
    MapLoader(const MapLoader&) = delete;
    MapLoader& operator=(const MapLoader&) = delete;

    // Reads the file and its includes into data(); false when the file itself
    // cannot be opened or parsed (the map is lost: data().lost). Messages
    // and places name the file shownName when one is given (the path as the
    // user typed it, when the program opens it by another).
    bool load(const QString& fileName, const QString& shownName = QString());
    const MapData& data() const;
    // The data, moved out: for a window that edits the map after building it.
    MapData takeData();
    MapDiagnostics& diagnostics();

    // prefix + name, the path of an included map file.
    static QString mapPath(const char* prefix, const QString& name);
    // The folder includes are read from, relative to the working directory.
    static constexpr const char* kIncludeDirectory = "maps/";

private:
    struct Session; // shared by the loaders of one map and its includes
    class Pass;     // one streaming pass over one file

    bool readFile(mapdata::File& file);
    void loadIncludes(const mapdata::File& file);

    std::shared_ptr<Session> session;
    QString fileName; // as shown in messages and places
    QString openPath; // as opened
    // Files being read further up the include chain, this one last; guards
    // against include cycles and bounds the depth.
    QStringList chain;
    MapPlace includedAt; // the include element that named this file; empty file for the first
    int fileBudgetEnd = kMaxFilesPerLoad; // this file's includes stop reading at this many reads
};
