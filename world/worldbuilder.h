// WorldBuilder: the one place where a map's data becomes a world: cameras,
// textures, lights, blueprints (quads, road pieces, girders, 3DS models) and
// placed objects, file by file in the order the map's data holds them. Each
// image and 3DS file is read once per load, and its problems reported once,
// at the place in the map that names it.
//
// load() is what the window does (read, check, build; needs a current GL
// context); check() is what `kolvar --check` does (read, check, and read
// every image and 3DS file as the build would, without GL).
#pragma once

#include "mapfile/mapdata.h"
#include "mapfile/mapdiagnostics.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class Map;
class Model_3DS;
class TextureFactory;

// What one load or check found.
struct LoadReport {
    int errors = 0;
    int warnings = 0;
    QString firstError;     // the first error line, as printed
    QStringList firstLines; // the first problem lines, as printed (MapDiagnostics::kKeptLines)
    bool lost = false;      // the map itself could not be read or parsed: nothing was built
    QStringList files;      // every file read or looked for: map files, images, 3DS files
    std::shared_ptr<MapData> data; // load: what was read, for editing in the window
    int exitStatus() const { return errors > 0 ? 2 : warnings > 0 ? 1 : 0; }
};

class WorldBuilder {
public:
    WorldBuilder(Map& world, TextureFactory& textures, MapDiagnostics& report);

    // Builds the data into the world. Needs a current GL context.
    void build(const MapData& data);

    // Reads, checks and builds the map at path (relative to the working
    // directory) into world, which should be empty. A lost map builds nothing.
    // Messages name the map shownName when one is given.
    static LoadReport load(const QString& path, Map& world, TextureFactory& textures,
                           const QString& shownName = QString());
    // Reads and checks the map at path, and every image and 3DS file it names.
    static LoadReport check(const QString& path, const QString& shownName = QString());

    // Every image and 3DS file found so far, for a watcher.
    QStringList assetFiles;

private:
    void buildFile(const mapdata::File& file);
    void buildLight(const mapdata::Light& light);
    void buildBlueprint(const mapdata::Blueprint& blueprint);
    void buildObject(const mapdata::Object& object);

    Map& world;
    TextureFactory& textures;
    MapDiagnostics& report;
};

// The checks of files that only reading them can make, shared by the build
// and the check run, so both print the same lines.
namespace AssetReport {
// Reports what is wrong with the image of a texture, given what reading it found.
void texture(MapDiagnostics& report, const mapdata::Texture& texture, const QString& problem);
// Reports the 3DS file of a smax blueprint: what the model's read found
// (loaded) or, without one, a read of its own. Adds the files it looked at.
void model(MapDiagnostics& report, const mapdata::Blueprint& blueprint, const Model_3DS* loaded,
           QStringList& files);
} // namespace AssetReport
