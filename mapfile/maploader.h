// MapLoader: reads one XML map file into the world, section by section, in
// the order includes, camera, textures, lights, blueprints, objects. An
// included file ("maps/" + name) is read completely, by a loader of its own,
// before the including file's own sections.
#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>

class Map;
class TObject;
class XmlHandler;

class MapLoader {
public:
    explicit MapLoader(Map* map);
    virtual ~MapLoader();
    MapLoader(const MapLoader&) = delete;
    MapLoader& operator=(const MapLoader&) = delete;

    // Reads the file and all its sections; false if it cannot be opened or parsed.
    bool load(const QString& fileName);

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
    XmlHandler* handler = nullptr;
    Map* map;
    // Files being read further up the include chain, this one last; guards
    // against include cycles.
    QStringList chain;
};
