// MapRules: the map as the world will hold it (later definitions win, an
// object only of a blueprint defined before it), then each rule on it.
#include "mapfile/maprules.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// Of the world, which this folder cannot include: every placed object but
// the "skybox" is raised by this much (world units).
constexpr float kHeightOffset = 1.0f;
// The walker stays inside the sky box's bounding box centred at this height.
constexpr double kSkyBoxCentreY = 50.0;
// The start of a map without a camera (eye), world units.
constexpr double kDefaultEye[3] = {0.0, 2.5, 35.0};
// Quads are drawn in cells of this side (world units); all quads of a world
// together may have this many.
constexpr double kCellSize = 2.0;
constexpr double kMaxCells = 4000000.0;
constexpr int kLightKeys = 8; // keys 0..7
// The two straight keys whose pieces are measured by each one's own length.
const std::string kFlatAlongZ = "road_flat_Z";
const std::string kFlatAlongX = "road_flat_X";

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

// The OpenGL light a "nr" drives: 1..7 their own, anything else light 0.
int lightOf(const mapdata::Light& light) {
    return light.nr >= 1 && light.nr <= 7 ? light.nr : 0;
}

void checkRoads(const MapData& data, MapDiagnostics& report) {
    for (const mapdata::File& file : data.files)
        for (const mapdata::Blueprint& blueprint : file.blueprints) {
            if (blueprint.type != QLatin1String("road"))
                continue;
            const std::string& key = blueprint.key;
            if (key.compare(0, 4, "road") != 0) {
                report.warning(blueprint.place,
                               "road-blueprint " + quoted(key) +
                                   " hoort niet bij het wegennet (enkel sleutels die met road "
                                   "beginnen): auto's kunnen er niet op rijden",
                               "wegennet");
                continue;
            }
            if (blueprint.subtype != QLatin1String("flat"))
                continue;
            const bool alongX = blueprint.direction == "X";
            if (!blueprint.direction.empty() && !alongX && blueprint.direction != "Z")
                report.warning(blueprint.paramsPlace,
                               "rechte weg " + quoted(key) + ": direction " +
                                   quoted(blueprint.direction) +
                                   " is geen X of Z (hoofdletters tellen): het stuk ligt langs z",
                               "wegennet");
            if (key != kFlatAlongZ && key != kFlatAlongX)
                report.warning(blueprint.place,
                               "rechte weg " + quoted(key) +
                                   ": auto's volgen enkel rechte stukken met sleutel road_flat_Z "
                                   "of road_flat_X; dit stuk wordt gemeten met de lengte van het "
                                   "laatst getekende stuk en houdt auto's tegen",
                               "wegennet");
            else if ((key == kFlatAlongX) != alongX)
                report.warning(blueprint.place,
                               "rechte weg " + quoted(key) + " ligt langs " + (alongX ? "x" : "z") +
                                   " maar auto's volgen het langs " +
                                   (key == kFlatAlongX ? "x" : "z") + "; geef direction " +
                                   (key == kFlatAlongX ? "X" : "Z"),
                               "wegennet");
        }
}

// A start point outside the sky box's walking box, or inside an object's box,
// leaves the walker unable to move.
void checkWalker(const World& world, MapDiagnostics& report) {
    const double* eye = world.camera ? world.camera->pos : kDefaultEye;
    const auto skybox = world.blueprints.find("skybox");
    bool skyPlaced = false;
    for (const auto& entry : world.objects)
        skyPlaced = skyPlaced || entry.first.first == "skybox";
    if (skyPlaced && skybox != world.blueprints.end()) {
        const mapdata::Blueprint& sky = *skybox->second;
        // The box the walker keeps to: the blueprint's own sizes, a quad and a
        // road being flat whatever their bounding box says.
        std::array<double, 3> size = {sky.box[0], sky.box[1], sky.box[2]};
        if (sky.type == QLatin1String("quad"))
            size = {sky.width, 0.0, sky.height};
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
                               ": haar boundingBox, gecentreerd op (0, 50, 0) waar de sky box ook "
                               "staat); te voet komt de wandelaar niet vooruit",
                           "wandelaar");
    }
    for (const auto& [keys, object] : world.objects) {
        const mapdata::Blueprint& blueprint = *world.blueprints.at(keys.first);
        if (keys.first == "skybox" || !blueprint.hasBox ||
            blueprint.type == QLatin1String("quad") || blueprint.type == QLatin1String("road"))
            continue;
        const double at[3] = {object->pos.x, object->pos.y + kHeightOffset, object->pos.z};
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
        if (object->isMobile() && world.blueprints.at(keys.first)->type == QLatin1String("girder"))
            report.warning(object->place,
                           "object " + quoted(keys.second) +
                               " is mobiel maar een girder: het kan aangeklikt worden maar rijdt "
                               "niet als een auto (het draait om de oorsprong van de wereld)",
                           "mobiel");
}

// A model is drawn scaled by its object's <scale>, whose factors are 0 where
// not given: <scale x="2"/> flattens the model to a sheet in y and z.
void checkScale(const World& world, MapDiagnostics& report) {
    for (const auto& [keys, object] : world.objects) {
        if (world.blueprints.at(keys.first)->type != QLatin1String("smax"))
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

// The cells a quad of this size centred at x, z is drawn with, as the quad
// counts them; 0 when it cannot be drawn at all.
double quadCells(double width, double height, double x, double z) {
    if (!(width >= 0) || !(height >= 0))
        return 0;
    const double lowX = x - width / 2, lowZ = z - height / 2;
    return std::max(0.0, std::ceil((x + width / 2 - std::trunc(lowX)) / kCellSize)) *
           std::max(0.0, std::ceil((z + height / 2 - std::trunc(lowZ)) / kCellSize));
}

void checkCells(const World& world, MapDiagnostics& report) {
    double total = 0;
    for (const mapdata::Object* object : world.order) {
        const mapdata::Blueprint& blueprint = *world.blueprints.at(object->blueprintKey);
        const auto placed = world.objects.find({object->blueprintKey, object->key});
        if (blueprint.type != QLatin1String("quad") || placed->second != object)
            continue;
        const double cells =
            quadCells(blueprint.width, blueprint.height, object->pos.x, object->pos.z);
        if (cells > kMaxCells) {
            report.warning(object->place,
                           "quad " + quoted(object->blueprintKey) + " heeft " + number(cells) +
                               " cellen van 2 x 2, meer dan 4000000: wordt niet getekend",
                           "cellen");
            continue;
        }
        if (total + cells > kMaxCells)
            report.warning(object->place,
                           "object " + quoted(object->key) +
                               ": alle quads samen hebben meer "
                               "dan 4000000 cellen van 2 x 2: niet alle quads worden getekend",
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
