// MapLoader: reads one XML map file into the world, section by section, in
// the order includes, camera, textures, lights, blueprints, objects. An
// included file ("maps/" + name) is read completely, by a loader of its own,
// before the including file's own sections.
//
// Every problem is reported where it stands ("FILE:LINE:COLUMN: fout: ..."),
// through the MapDiagnostics shared by all files of one load. A loader made
// without a world only checks: it reads every file, image and 3DS file the
// map names and reports, but builds nothing and makes no GL call, so a map
// can be checked without a display.
#pragma once

#include "mapfile/mapdiagnostics.h"

#include <QDomElement>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Map;
class TObject;
class XmlHandler;
struct SectionFormat;

class Model_3DS;

class MapLoader {
public:
    static constexpr int kMaxIncludeDepth = 32;   // files on one include chain, the first included
    static constexpr int kMaxFilesPerLoad = 1024; // files read for one map, each read counted

    // map null: check only.
    explicit MapLoader(Map* map);
    virtual ~MapLoader();
    MapLoader(const MapLoader&) = delete;
    MapLoader& operator=(const MapLoader&) = delete;

    // Reads the file and all its sections; false if it cannot be opened or
    // parsed. Messages name the file shownName when one is given.
    bool load(const QString& fileName, const QString& shownName = QString());
    // What this load and its includes found.
    const MapDiagnostics& diagnostics() const;

    void loadIncludes();
    void loadCamera();
    void loadTextures();
    void loadLights();
    void loadBlueprints();
    void loadObjects();

    TObject* loadSmax(const QDomElement& blueprint);
    TObject* loadGirder(const QDomElement& blueprint);
    TObject* loadQuad(const QDomElement& blueprint);
    TObject* loadRoad(const QDomElement& blueprint);

    // prefix + name, the path of an included map file.
    static QString mapPath(const char* prefix, const QString& name);

private:
    struct Session; // shared by the loaders of one map and its includes

    // The section element of this name, after checking its elements and
    // attributes against the map format; items, when given, receives every
    // element named item below it, in document order.
    QDomElement section(const char* name, const char* item = nullptr,
                        std::vector<QDomElement>* items = nullptr);
    void checkSection(const QDomElement& element, const SectionFormat& format, const char* item,
                      std::vector<QDomElement>* items);
    void checkRoot();
    // Reports the model file of a smax blueprint: what loaded reads found
    // (the running program's load) or, when only checking, a read of its own.
    void checkModelFile(const std::string& given, const MapPlace& place, const Model_3DS* loaded);
    void checkTextureReferences();
    MapPlace placeOf(const QDomNode& node) const;
    void warn(const QDomNode& node, const QString& text);
    void fail(const QDomNode& node, const QString& text);

    XmlHandler* handler = nullptr;
    Map* map; // null when only checking
    // Files being read further up the include chain, this one last; guards
    // against include cycles and bounds the depth.
    QStringList chain;
    std::shared_ptr<Session> session;
    QString fileName;
    MapPlace includedAt; // the include element that named this file; empty file for the first
    int fileBudgetEnd = kMaxFilesPerLoad; // this file's includes stop reading at this many reads
};
