// WorldBuilder: map data into scene objects, lights, textures and models;
// and the reports of the image and 3DS files they read.
#include "world/worldbuilder.h"

#include "mapfile/mapcheck.h"
#include "mapfile/maploader.h"
#include "mapfile/worldrules.h"
#include "model3ds/model3ds.h"
#include "model3ds/reader3ds.h"
#include "scene/girder.h"
#include "scene/girderrect.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/quad.h"
#include "scene/roadflat.h"
#include "scene/roadturn.h"
#include "textures/imagecheck.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <QFileInfo>

namespace {

FPoint pointOf(const mapdata::Point& p) {
    return FPoint(p.x, p.y, p.z);
}

// A material's colours as given, over the default material.
Material materialOf(const mapdata::GirderMaterial& given) {
    Material material;
    auto take = [](const mapdata::Colour& colour, float* rgba) {
        if (colour.present)
            std::copy(colour.rgba, colour.rgba + 4, rgba);
    };
    take(given.ambient, material.ambient);
    take(given.diffuse, material.diffuse);
    take(given.specular, material.specular);
    if (given.hasShininess)
        material.shininess = given.shininess;
    return material;
}

Girder* girderOf(const mapdata::GirderParams& data) {
    Girder* girder = nullptr;
    switch (data.shape) {
    case GirderShape::Rect:
        girder = new GirderRect(data.width, data.height, data.depth);
        break;
    case GirderShape::Cube:
        girder = new GirderRect(data.width, data.width, data.width);
        break;
    case GirderShape::Points: {
        // Corners in name order: ftl, ftr, fbl, fbr, btl, btr, bbl, bbr.
        const auto& c = data.corners;
        girder = new Girder(pointOf(c[0]), pointOf(c[1]), pointOf(c[3]), pointOf(c[2]),
                            pointOf(c[4]), pointOf(c[5]), pointOf(c[7]), pointOf(c[6]));
        break;
    }
    }
    for (const mapdata::GirderTexture& texture : data.textures) {
        if (texture.side == "all")
            girder->setTextureAll(texture.key);
        else
            girder->setTexture(sideFromName(texture.side), texture.key);
    }
    for (const mapdata::GirderMaterial& given : data.materials) {
        if (given.side == "all")
            girder->setMaterialAll(materialOf(given));
        else
            girder->setMaterial(sideFromName(given.side), materialOf(given));
    }
    // "all" is not a side for normals: it falls back to the top side like any unknown name.
    for (const mapdata::GirderNormal& normal : data.normals)
        girder->setNormal(sideFromName(normal.side), pointOf(normal.normal));
    return girder;
}

Road* roadOf(const mapdata::RoadParams& data) {
    if (!data.shape)
        return nullptr; // reported by the checks
    // An unknown direction has been reported by the checks; it reads as 0.
    const int direction = std::max(0, MapFormat::roadDirection(*data.shape, data.direction));
    Road* piece = nullptr;
    switch (*data.shape) {
    case RoadShape::Flat:
        piece = new RoadFlat(direction);
        break;
    case RoadShape::FlatTurn:
    case RoadShape::Turn:
        piece = new RoadTurn(RoadTurn::kSide);
        break;
    case RoadShape::TurnLarge:
        piece = new RoadTurn(RoadTurn::kLargeSide);
        break;
    }
    piece->setTexture(data.texture.key);
    return piece;
}

} // namespace

WorldBuilder::WorldBuilder(Map& world, TextureFactory& textures, MapDiagnostics& report)
    : world(world), textures(textures), report(report) {}

void WorldBuilder::build(const MapData& data) {
    if (data.lost)
        return;
    for (const mapdata::File& file : data.files)
        if (file.read)
            buildFile(file);
}

void WorldBuilder::buildFile(const mapdata::File& file) {
    for (const mapdata::Camera& camera : file.cameras)
        world.setCamera(Camera(camera.pos[0], camera.pos[1], camera.pos[2], camera.view[0],
                               camera.view[1], camera.view[2], 0.0, 1.0, 0.0));
    for (const mapdata::Texture& texture : file.textures) {
        const bool refused = textures.loadCount() >= WorldRules::kMaxTextures;
        const ImageFileCheck check = textures.loadTexture(texture.key, texture.file.toStdString());
        assetFiles.append(texture.file);
        if (!refused) // the checks have reported the refusal
            AssetReport::texture(report, texture, check.problem);
    }
    for (const mapdata::Light& light : file.lights)
        buildLight(light);
    for (const mapdata::Blueprint& blueprint : file.blueprints)
        buildBlueprint(blueprint);
    for (const mapdata::Object& object : file.objects)
        buildObject(object);
}

void WorldBuilder::buildLight(const mapdata::Light& data) {
    Light* light = new Light(GLenum(GL_LIGHT0 + WorldRules::lightNumber(data.nr)));
    world.own(light);
    light->setPosition(data.position[0], data.position[1], data.position[2], data.position[3]);
    light->on = data.on;
    auto colour = [&](const mapdata::Colour& c, void (Light::*set)(float, float, float, float)) {
        if (c.present)
            (light->*set)(c.rgba[0], c.rgba[1], c.rgba[2], c.rgba[3]);
    };
    colour(data.ambient, &Light::setAmbient);
    colour(data.diffuse, &Light::setDiffuse);
    colour(data.specular, &Light::setSpecular);
    if (data.hasSpot) {
        light->setSpot(data.spotCutoff, data.spotDirection[0], data.spotDirection[1],
                       data.spotDirection[2], data.spotDirection[3]);
        if (data.hasSpotExponent)
            light->setSpotExponent(data.spotExponent);
    }
    if (data.hasAttenuation)
        light->setAttenuation(data.attenuation[0], data.attenuation[1], data.attenuation[2]);
    world.addLight(light);
    if (data.flashlight)
        world.addFlashlight(light);
}

void WorldBuilder::buildBlueprint(const mapdata::Blueprint& data) {
    if (!data.kind())
        return; // reported by the checks
    TObject* blueprint = nullptr;
    switch (*data.kind()) {
    case BlueprintKind::Smax: {
        auto* model = new Model_3DS;
        model->load(QFile::encodeName(data.as<mapdata::SmaxParams>()->file).constData(),
                    textures.models);
        AssetReport::model(report, data, model, assetFiles);
        blueprint = model;
        break;
    }
    case BlueprintKind::Girder:
        blueprint = girderOf(*data.as<mapdata::GirderParams>());
        break;
    case BlueprintKind::Quad: {
        const mapdata::QuadParams& params = *data.as<mapdata::QuadParams>();
        auto* quad = new Quad;
        quad->width = params.width;
        quad->height = params.height;
        quad->setTexture(params.texture.key);
        quad->name = data.key; // its refusals name the blueprint
        blueprint = quad;
        break;
    }
    case BlueprintKind::Road: {
        Road* road = roadOf(*data.as<mapdata::RoadParams>());
        if (road)
            road->name = data.key;
        blueprint = road;
        break;
    }
    }
    if (!blueprint)
        return;
    world.own(blueprint);
    if (data.hasBox) {
        blueprint->boxWidth = data.box[0];
        blueprint->boxHeight = data.box[1];
        blueprint->boxDepth = data.box[2];
    }
    world.addBlueprint(data.key, blueprint);
}

void WorldBuilder::buildObject(const mapdata::Object& data) {
    if (world.hasBlueprint(data.blueprintKey)) {
        auto* object = new TObject;
        world.own(object);
        object->position = pointOf(data.pos);
        object->rotation = pointOf(data.rot);
        object->scale = pointOf(data.scale);
        world.addObject(data.blueprintKey, data.key, object, data.place);
    }
    // Recorded whether or not the object was stored.
    if (data.isMobile())
        world.addMobileKey(data.key);
}

LoadReport WorldBuilder::load(const QString& path, Map& world, TextureFactory& textures,
                              const QString& shownName) {
    MapLoader loader;
    loader.load(path, shownName);
    MapDiagnostics& report = loader.diagnostics();
    MapCheck::check(loader.data(), report);
    LoadReport result;
    result.lost = loader.data().lost;
    result.files = loader.data().mapFiles;
    if (!result.lost) {
        WorldBuilder builder(world, textures, report);
        builder.build(loader.data());
        result.files += builder.assetFiles;
    }
    report.finish();
    result.errors = report.errors;
    result.warnings = report.warnings;
    result.firstError = report.firstError;
    result.firstLines = report.firstLines;
    result.data = std::make_shared<MapData>(loader.takeData());
    return result;
}

LoadReport WorldBuilder::check(const QString& path, const QString& shownName) {
    MapLoader loader;
    loader.load(path, shownName);
    MapDiagnostics& report = loader.diagnostics();
    const MapData& data = loader.data();
    MapCheck::check(data, report);
    LoadReport result;
    result.lost = data.lost;
    result.files = data.mapFiles;
    int texturesLoaded = 0;
    for (const mapdata::File& file : data.files) {
        for (const mapdata::Texture& texture : file.textures) {
            if (texturesLoaded++ >= WorldRules::kMaxTextures)
                continue; // refused: never read
            result.files.append(texture.file);
            AssetReport::texture(report, texture, imageFileProblem(texture.file));
        }
        for (const mapdata::Blueprint& blueprint : file.blueprints)
            if (blueprint.kind() == BlueprintKind::Smax)
                AssetReport::model(report, blueprint, nullptr, result.files);
    }
    report.finish();
    result.errors = report.errors;
    result.warnings = report.warnings;
    result.firstError = report.firstError;
    result.firstLines = report.firstLines;
    return result;
}

namespace AssetReport {

namespace {
void textureMapProblem(MapDiagnostics& report, const MapPlace& place, const QString& path,
                       const Material3DS& material, const QString& problem) {
    if (!problem.isEmpty())
        report.warning(place, "texture map " + QString::fromStdString(material.textureMap) +
                                  " van materiaal " + quoted(material.name) + " in " + path + ": " +
                                  problem + ", de kleur van het materiaal wordt gebruikt");
}
} // namespace

void texture(MapDiagnostics& report, const mapdata::Texture& texture, const QString& problem) {
    if (!problem.isEmpty())
        report.error(texture.place,
                     "texture " + quoted(texture.key) + ": " + problem + ", de texture blijft leeg",
                     "texture-bestand");
}

void model(MapDiagnostics& report, const mapdata::Blueprint& blueprint, const Model_3DS* loaded,
           QStringList& files) {
    const MapPlace& place = blueprint.place;
    const mapdata::SmaxParams* params = blueprint.as<mapdata::SmaxParams>();
    if (!params)
        return;
    // The path the model is read from, as the load reads it.
    const std::string file = Model_3DS::filePath(QFile::encodeName(params->file).toStdString());
    const QString path = QFile::decodeName(QByteArray::fromStdString(file));
    if (path.isEmpty()) {
        report.warning(place, QString("blueprint van type %1 zonder file, het model blijft leeg")
                                  .arg(MapFormat::kindName(BlueprintKind::Smax)));
        return;
    }
    files.append(path);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || !info.isFile()) {
        report.error(place, "3DS-bestand " + path +
                                (!info.exists() ? " bestaat niet"
                                 : info.isDir() ? " is een map, geen bestand"
                                                : " is geen gewoon bestand") +
                                ", het model blijft leeg");
        return;
    }
    Reader3DS reader; // when only checking
    if (!loaded)
        reader.readFile(file.c_str());
    const Model_3DS::ReadReport read = loaded ? loaded->readReport : Model_3DS::reportOf(reader);
    if (read.tooLarge) {
        report.error(place,
                     QString("3DS-bestand %1 is %2 bytes, meer dan %3, het model blijft leeg")
                         .arg(path)
                         .arg(qulonglong(read.fileBytes))
                         .arg(qulonglong(Reader3DS::kMaxFileBytes)));
        return;
    }
    if (read.changed) {
        report.error(place, "3DS-bestand " + path +
                                " veranderde tijdens het lezen (een ander programma schrijft "
                                "het), het model blijft leeg tot het opnieuw ingeladen wordt");
        return;
    }
    if (!read.opened) {
        report.error(place,
                     "3DS-bestand " + path + " kan niet gelezen worden, het model blijft leeg");
        return;
    }
    if (!read.firstProblem.empty())
        report.warning(place, "3DS-bestand " + path +
                                  " is beschadigd: " + QString::fromStdString(read.firstProblem) +
                                  "; enkel de leesbare delen worden getoond (alle problemen: "
                                  "kolvar-3ds " +
                                  path + ")");
    if (read.ungroupedFaces == read.faces && read.faces > 0)
        report.warning(place,
                       "3DS-bestand " + path +
                           ": geen enkel vlak staat in een materiaalgroep, het model is "
                           "onzichtbaar (geef de vlakken een materiaal in het 3D-programma)");
    else if (read.ungroupedFaces > 0)
        report.warning(place, QString("3DS-bestand %1: %2 van de %3 vlakken staan in geen "
                                      "materiaalgroep en worden niet getekend")
                                  .arg(path)
                                  .arg(qulonglong(read.ungroupedFaces))
                                  .arg(qulonglong(read.faces)));
    if (loaded) {
        // What the model's own load found: each image read once.
        for (const Model_3DS::Material& material : loaded->materials) {
            if (!material.textureImage.empty())
                files.append(QFile::decodeName(QByteArray::fromStdString(material.textureImage)));
            textureMapProblem(report, place, path, material.record,
                              QString::fromStdString(material.textureProblem));
        }
        return;
    }
    Model_3DS::Listings listings;
    for (const Material3DS& material : reader.materials) {
        if (material.textureMap.empty())
            continue;
        const QString image = QFile::decodeName(
            QByteArray::fromStdString(Model_3DS::texturePath(file, material.textureMap, listings)));
        if (!image.isEmpty())
            files.append(image);
        textureMapProblem(report, place, path, material,
                          Model_3DS::leavesModelDirectory(material.textureMap)
                              ? QString("ligt buiten de map van het model")
                          : image.isEmpty() ? QString("bestaat niet")
                                            : imageFileProblem(image));
    }
}

} // namespace AssetReport
