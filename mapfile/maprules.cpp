// MapRules: the map as the world will hold it (later definitions win, an
// object only of a blueprint defined before it), then each rule on it.
#include "mapfile/maprules.h"

#include "mapfile/worldrules.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using WorldRules::kFlatAlongXKey;
using WorldRules::kFlatAlongZKey;
using WorldRules::kLightKeys;
using WorldRules::kMaxCells;
using WorldRules::kSkyBoxCentreY;

QString number(double value) {
    return QString::number(value, 'g', 6);
}

QString range(double centre, double half) {
    return number(centre - half) + ".." + number(centre + half);
}

// The world a map's data will build, as far as the rules need it.
struct World {
    std::map<std::string, const mapdata::Blueprint*> blueprints;
    std::map<std::pair<std::string, std::string>, const mapdata::Object*> objects;
    std::vector<const mapdata::Light*> lights; // load order
    const mapdata::Camera* camera = nullptr;   // the last one read
    std::vector<const mapdata::Object*> order; // objects as placed, for the cell budget
};

World worldOf(const MapData& data) {
    World world;
    for (const mapdata::File& file : data.files) {
        if (!file.read)
            continue;
        for (const mapdata::Camera& camera : file.cameras)
            world.camera = &camera;
        for (const mapdata::Light& light : file.lights)
            world.lights.push_back(&light);
        for (const mapdata::Blueprint& blueprint : file.blueprints)
            world.blueprints[blueprint.key] = &blueprint;
        for (const mapdata::Object& object : file.objects)
            if (world.blueprints.count(object.blueprintKey)) {
                world.objects[{object.blueprintKey, object.key}] = &object;
                world.order.push_back(&object);
            }
    }
    return world;
}

// The OpenGL light a "nr" drives: GL_LIGHT0 + this.
int lightOf(const mapdata::Light& light) {
    return WorldRules::lightNumber(light.nr);
}

std::optional<BlueprintKind> kindOf(const World& world, const std::string& blueprintKey) {
    return world.blueprints.at(blueprintKey)->kind();
}

void checkRoads(const MapData& data, MapDiagnostics& report) {
    for (const mapdata::File& file : data.files)
        for (const mapdata::Blueprint& blueprint : file.blueprints) {
            const mapdata::RoadParams* road = blueprint.as<mapdata::RoadParams>();
            if (!road)
                continue;
            const std::string& key = blueprint.key;
            if (!WorldRules::isRoadKey(key)) {
                report.warning(
                    blueprint.place,
                    QString(MapFormat::kindName(BlueprintKind::Road)) + "-blueprint " +
                        quoted(key) + " hoort niet bij het wegennet (enkel sleutels die met " +
                        WorldRules::kRoadKeyPrefix + " beginnen): auto's kunnen er niet op rijden",
                    "wegennet");
                continue;
            }
            if (road->shape != RoadShape::Flat)
                continue;
            const bool alongX = road->direction == "X";
            if (!road->direction.empty() && !alongX && road->direction != "Z")
                report.warning(road->paramsPlace,
                               "rechte weg " + quoted(key) + ": direction " +
                                   quoted(road->direction) +
                                   " is geen X of Z (hoofdletters tellen): het stuk ligt langs z",
                               "wegennet");
            if (key != kFlatAlongZKey && key != kFlatAlongXKey)
                report.warning(blueprint.place,
                               "rechte weg " + quoted(key) +
                                   ": auto's volgen enkel rechte stukken met sleutel " +
                                   kFlatAlongZKey + " of " + kFlatAlongXKey +
                                   "; dit stuk wordt gemeten met de lengte van het "
                                   "laatst getekende stuk en houdt auto's tegen",
                               "wegennet");
            else if ((key == kFlatAlongXKey) != alongX)
                report.warning(blueprint.place,
                               "rechte weg " + quoted(key) + " ligt langs " + (alongX ? "x" : "z") +
                                   " maar auto's volgen het langs " +
                                   (key == kFlatAlongXKey ? "x" : "z") + "; geef direction " +
                                   (key == kFlatAlongXKey ? "X" : "Z"),
                               "wegennet");
        }
}

// A flat kind blocks with its own flat size, whatever its bounding box
// says; the other kinds with their bounding box.
bool blocksWithBox(const mapdata::Blueprint& blueprint) {
    return blueprint.kind() && !MapFormat::isFlat(*blueprint.kind());
}

// A start point outside the sky box's walking box, or inside an object's box,
// leaves the walker unable to move.
void checkWalker(const World& world, MapDiagnostics& report) {
    const double* eye = world.camera ? world.camera->pos : WorldRules::kDefaultEye;
    const auto skybox = world.blueprints.find(WorldRules::kSkyBoxKey);
    bool skyPlaced = false;
    for (const auto& entry : world.objects)
        skyPlaced = skyPlaced || WorldRules::isSkyBox(entry.first.first);
    if (skyPlaced && skybox != world.blueprints.end()) {
        const mapdata::Blueprint& sky = *skybox->second;
        // The box the walker keeps to: the blueprint's own sizes, a quad and a
        // road being flat whatever their bounding box says.
        std::array<double, 3> size = {sky.box[0], sky.box[1], sky.box[2]};
        if (const mapdata::QuadParams* quad = sky.as<mapdata::QuadParams>())
            size = {quad->width, 0.0, quad->height};
        const std::array<double, 3> centre = {0.0, kSkyBoxCentreY, 0.0};
        bool outside = false;
        for (int axis = 0; axis < 3; ++axis)
            outside = outside || std::fabs(eye[axis] - centre[axis]) > size[axis] / 2;
        if (outside)
            report.warning(world.camera ? world.camera->place : sky.place,
                           "de startplek (" + number(eye[0]) + ", " + number(eye[1]) + ", " +
                               number(eye[2]) + ") ligt buiten de loopruimte van de sky box (x " +
                               range(0, size[0] / 2) + ", y " + range(kSkyBoxCentreY, size[1] / 2) +
                               ", z " + range(0, size[2] / 2) +
                               ": haar boundingBox, gecentreerd op (0, " + number(kSkyBoxCentreY) +
                               ", 0) waar de sky box ook staat); te voet komt de wandelaar niet "
                               "vooruit",
                           "wandelaar");
    }
    for (const auto& [keys, object] : world.objects) {
        const mapdata::Blueprint& blueprint = *world.blueprints.at(keys.first);
        if (WorldRules::isSkyBox(keys.first) || !blueprint.hasBox || !blocksWithBox(blueprint))
            continue;
        const double at[3] = {object->pos.x, object->pos.y + WorldRules::kHeightOffset,
                              object->pos.z};
        bool inside = true;
        for (int axis = 0; axis < 3; ++axis)
            inside = inside && std::fabs(eye[axis] - at[axis]) <= blueprint.box[axis] / 2;
        if (inside)
            report.warning(world.camera ? world.camera->place : object->place,
                           "de startplek ligt in de boundingBox van object " + quoted(object->key) +
                               " (blueprint " + quoted(keys.first) +
                               "); te voet komt de wandelaar er niet uit",
                           "wandelaar");
    }
}

// The keys 0..7 and the overlay count lights in load order; the key d acts
// only when some light drives GL_LIGHT0 + d.
void checkLights(const World& world, MapDiagnostics& report) {
    std::array<bool, kLightKeys> driven{};
    for (const mapdata::Light* light : world.lights)
        driven[std::size_t(lightOf(*light))] = true;
    for (std::size_t i = 0; i < world.lights.size(); ++i) {
        const mapdata::Light& light = *world.lights[i];
        if (!light.hasNr)
            report.warning(light.place,
                           "<light> zonder nr wordt licht 0, het licht van de sky box: het "
                           "verlicht enkel de sky box",
                           "licht");
        if (i >= std::size_t(kLightKeys)) {
            report.warning(light.place,
                           QString("dit is het %1e licht: geen toets schakelt het").arg(i + 1),
                           "licht");
            continue;
        }
        if (light.hasNr && lightOf(light) == int(i))
            continue;
        const QString key = driven[i] ? QString("toets %1 schakelt het").arg(i)
                                      : QString("geen toets schakelt het (toets %1 doet niets "
                                                "zonder een licht met nr=\"%1\")")
                                            .arg(i);
        if (light.hasNr || i > 0)
            report.warning(light.place,
                           QString("licht nr=\"%1\" is het %2e licht dat gelezen wordt: de "
                                   "overlay toont het als \"Light %3\" en %4 (toetsen en overlay "
                                   "tellen in leesvolgorde, niet per nr)")
                               .arg(light.nr)
                               .arg(i + 1)
                               .arg(i)
                               .arg(key),
                           "licht");
    }
}

void checkKeys(const MapData& data, MapDiagnostics& report) {
    for (const mapdata::File& file : data.files) {
        for (const mapdata::Texture& texture : file.textures)
            if (!texture.hasKey)
                report.warning(texture.place,
                               "<texture> zonder key: de texture krijgt de sleutel \"\"",
                               "sleutel");
        for (const mapdata::Blueprint& blueprint : file.blueprints)
            if (!blueprint.hasKey)
                report.warning(blueprint.place,
                               "<blueprint> zonder key: de blueprint krijgt de sleutel \"\"",
                               "sleutel");
        for (const mapdata::Object& object : file.objects)
            if (object.key.empty())
                report.warning(object.place,
                               "<object> zonder key: objecten zonder key van dezelfde blueprint "
                               "vervangen elkaar",
                               "sleutel");
    }
}

void checkMobile(const World& world, MapDiagnostics& report) {
    for (const auto& [keys, object] : world.objects)
        if (object->isMobile() && kindOf(world, keys.first) == BlueprintKind::Girder)
            report.warning(object->place,
                           "object " + quoted(keys.second) + " is mobiel maar een " +
                               MapFormat::kindName(BlueprintKind::Girder) +
                               ": het kan aangeklikt worden maar rijdt "
                               "niet als een auto (het draait om de oorsprong van de wereld)",
                           "mobiel");
}

// A model is drawn scaled by its object's <scale>, whose factors are 0 where
// not given: <scale x="2"/> flattens the model to a sheet in y and z.
void checkScale(const World& world, MapDiagnostics& report) {
    for (const auto& [keys, object] : world.objects) {
        if (kindOf(world, keys.first) != BlueprintKind::Smax)
            continue;
        const double factors[3] = {object->scale.x, object->scale.y, object->scale.z};
        QStringList flat;
        for (int i = 0; i < 3; ++i)
            if (factors[i] == 0)
                flat << QString(QChar('x' + i));
        if (flat.isEmpty())
            continue;
        const QString axes = flat.size() == 3 ? "x, y en z" : flat.join(" en ");
        report.warning(object->place,
                       "object " + quoted(keys.second) + ": <scale> is 0 langs " + axes +
                           " (een weggelaten factor is ook 0): het model " +
                           (flat.size() == 3 ? "krimpt tot een punt" : "wordt platgedrukt") +
                           "; <scale value=\"...\"/> schaalt in alle richtingen",
                       "schaal");
    }
}

void checkCells(const World& world, MapDiagnostics& report) {
    double total = 0;
    for (const mapdata::Object* object : world.order) {
        const mapdata::Blueprint& blueprint = *world.blueprints.at(object->blueprintKey);
        const auto placed = world.objects.find({object->blueprintKey, object->key});
        const mapdata::QuadParams* quad = blueprint.as<mapdata::QuadParams>();
        if (!quad || placed->second != object)
            continue;
        // The quad is drawn at the height-raised place; only x and z count.
        const double cells =
            WorldRules::cellsOf(object->pos.x, object->pos.z, quad->width, quad->height);
        const QString kind = MapFormat::kindName(BlueprintKind::Quad);
        const QString cellText = QString(" cellen van %1 x %1").arg(number(WorldRules::kCellSize));
        if (cells > double(kMaxCells)) {
            report.warning(object->place,
                           kind + " " + quoted(object->blueprintKey) + " heeft " + number(cells) +
                               cellText + ", meer dan " + QString::number(kMaxCells) +
                               ": wordt niet getekend",
                           "cellen");
            continue;
        }
        if (total + cells > double(kMaxCells))
            report.warning(object->place,
                           "object " + quoted(object->key) + ": alle " + kind +
                               "s samen hebben meer dan " + QString::number(kMaxCells) + cellText +
                               ": niet alle " + kind + "s worden getekend",
                           "cellen");
        total += cells;
    }
}

} // namespace

namespace MapRules {

void check(const MapData& data, MapDiagnostics& report) {
    if (data.lost)
        return;
    const World world = worldOf(data);
    checkKeys(data, report);
    checkRoads(data, report);
    checkLights(world, report);
    checkWalker(world, report);
    checkMobile(world, report);
    checkScale(world, report);
    checkCells(world, report);
}

} // namespace MapRules
