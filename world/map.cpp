// Map: the world model: registration of blueprints, placed objects, mobile
// keys and lights, the lookups that drawing, keys and picking use, and the
// answers to the camera's questions.
#include "world/map.h"

#include "scene/quad.h"

#include <iostream>

namespace {
// The start point of a map without a camera.
constexpr double kStartEye[3] = {0.0, 2.5, 35.0};
constexpr double kStartCentre[3] = {0.0, 2.5, 30.0};
constexpr float kSkyBoxCentreY = 50.0f; // the sky box blocks as a box around (0, 50, 0)

// True if p lies inside the box centred at c with half sizes h, faces included.
bool inside(const FPoint& p, const FPoint& c, const FPoint& h) {
    return p.x >= c.x - h.x && p.x <= c.x + h.x && p.y >= c.y - h.y && p.y <= c.y + h.y &&
           p.z >= c.z - h.z && p.z <= c.z + h.z;
}
} // namespace

Map::Map(TextureFactory& textures) : textures(textures) {}

// Needs the GL context the lists were made in to be current.
Map::~Map() {
    for (const DrawStep& step : steps) {
        if (step.list)
            glDeleteLists(step.list, 1);
        for (const DrawStep::Tile& tile : step.tiles)
            glDeleteLists(tile.list, 1);
    }
    delete camera;
}

void Map::own(TObject* object) {
    owned.emplace_back(object);
}

void Map::own(Light* light) {
    ownedLights.emplace_back(light);
}

void Map::setCamera(Camera* newCamera) {
    if (newCamera != camera)
        delete camera; // the world owns its camera
    camera = newCamera;
    if (!camera)
        return;
    for (int i = 0; i < 3; ++i) {
        startEye[i] = camera->eye[i];
        startCentre[i] = camera->centre[i];
    }
}

void Map::ensureCamera() {
    if (camera)
        return;
    std::cout << "Geen camera in de map, standaardcamera op (0, 2.5, 35) \n";
    camera = new Camera(kStartEye[0], kStartEye[1], kStartEye[2], kStartCentre[0], kStartCentre[1],
                        kStartCentre[2], 0.0, 1.0, 0.0);
}

void Map::resetViewer() {
    camera->setLookAt(startEye[0], startEye[1], startEye[2], startCentre[0], startCentre[1],
                      startCentre[2], 0.0, 1.0, 0.0);
}

void Map::takeViewerFrom(const Map& old) {
    const Camera* before = old.camera;
    if (!before || !camera)
        return;
    Camera* start = camera;
    camera = new Camera(*before);
    delete start;
    camera->leaveCar();
    lightingOn = old.lightingOn;
    mouseTracking = old.mouseTracking;
    collisionOn = old.collisionOn;
    renderMode = old.renderMode;
    shadeModel = old.shadeModel;
    for (Light* light : lights)
        for (const Light* was : old.lights)
            if (was->lightId == light->lightId)
                light->on = was->on;
    if (!before->isInCar())
        return;
    const std::string key = old.keyOf(before->tracker.object);
    TObject* car = isMobile(key) ? findObject(key) : nullptr;
    if (!car)
        return; // on foot, where the car's view was
    camera->enterCar(car);
    camera->tracker = before->tracker; // speed, steering and where it stands
    camera->tracker.object = car;
    camera->tracker.writeBack(); // where it stands now, not where the file puts it
}

void Map::addBlueprint(const std::string& key, TObject* blueprint) {
    if (key.compare(0, 4, "road") == 0)
        roadTrack.addRoadKey(key);
    blueprints[key] = blueprint;
    ++additions;
    if (auto* quad = dynamic_cast<Quad*>(blueprint))
        quad->name = key; // its refusals name the blueprint
}

void Map::addObject(const std::string& blueprintKey, const std::string& objectKey,
                    TObject* object) {
    if (!hasBlueprint(blueprintKey))
        return;
    objects[blueprintKey][objectKey] = object;
    loadOrder[object] = placedSoFar++;
    ++additions;
    if (objectKey != "skybox")
        object->position.y += heightOffset;
}

void Map::addMobileKey(const std::string& objectKey) {
    mobileKeys.insert(objectKey);
    ++additions;
}

void Map::addLight(Light* light) {
    lights.push_back(light);
}

void Map::addFlashlight(Light* light) {
    flashlights.push_back(light);
}

bool Map::hasBlueprint(const std::string& key) const {
    return blueprints.count(key) != 0;
}

TObject* Map::getBlueprint(const std::string& key) const {
    auto it = blueprints.find(key);
    return it == blueprints.end() ? nullptr : it->second;
}

bool Map::isMobile(const std::string& objectKey) const {
    return mobileKeys.count(objectKey) != 0;
}

TObject* Map::findObject(const std::string& objectKey) const {
    for (const auto& [blueprintKey, group] : objects) {
        auto it = group.find(objectKey);
        if (it != group.end())
            return it->second;
    }
    return nullptr;
}

std::string Map::keyOf(const TObject* object) const {
    for (const auto& [blueprintKey, group] : objects)
        for (const auto& [key, placed] : group)
            if (placed == object)
                return key;
    return std::string();
}

void Map::resolvePlacements() {
    if (placementsResolvedAt == additions)
        return;
    placementsResolvedAt = additions;
    placementList.clear();
    roadPieceList.clear();
    std::map<std::string, std::size_t> placementOfKey;
    for (const auto& [blueprintKey, group] : objects) {
        TObject* blueprint = getBlueprint(blueprintKey);
        if (!blueprint)
            continue;
        Placement placement;
        placement.blueprint = blueprint;
        placement.skybox = blueprintKey == "skybox";
        placement.measure = RoadTrack::measureOf(blueprintKey);
        for (const auto& entry : group)
            if (entry.second)
                placement.objects.push_back(entry.second);
        placementOfKey[blueprintKey] = placementList.size();
        placementList.push_back(std::move(placement));
    }
    // Pointers into placementList: taken once it is complete.
    for (const std::string& key : roadTrack.keys) {
        auto found = placementOfKey.find(key);
        if (found == placementOfKey.end())
            continue;
        const Placement& placement = placementList[found->second];
        roadPieceList.push_back({placement.blueprint, placement.measure, &placement.objects});
    }
}

const std::vector<Map::Placement>& Map::placements() {
    resolvePlacements();
    return placementList;
}

const std::vector<RoadTrack::Pieces>& Map::roadPieces() {
    resolvePlacements();
    return roadPieceList;
}

// NOTE: neither scale nor rotation of a placed object affects its box.
bool Map::isBlocked(const FPoint& point) {
    for (const Placement& placed : placements()) {
        const TObject* blueprint = placed.blueprint;
        for (const TObject* object : placed.objects) {
            const FPoint half(blueprint->getWidth(*object) / 2, blueprint->getHeight(*object) / 2,
                              blueprint->getDepth(*object) / 2);
            if (placed.skybox ? !inside(point, FPoint(0, kSkyBoxCentreY, 0), half)
                              : inside(point, object->position, half))
                return true;
        }
    }
    return false;
}

bool Map::entersBlock(const FPoint& from, const FPoint& to) {
    for (const Placement& placed : placements()) {
        const TObject* blueprint = placed.blueprint;
        for (const TObject* object : placed.objects) {
            const FPoint half(blueprint->getWidth(*object) / 2, blueprint->getHeight(*object) / 2,
                              blueprint->getDepth(*object) / 2);
            // Outside the sky box every point is blocked, wherever the viewer stood.
            if (placed.skybox
                    ? !inside(to, FPoint(0, kSkyBoxCentreY, 0), half)
                    : inside(to, object->position, half) && !inside(from, object->position, half))
                return true;
        }
    }
    return false;
}

bool Map::isOnRoad(const FPoint& point) {
    return RoadTrack::isOnRoad(point, roadPieces());
}

bool Map::hasLight(int n) const {
    GLenum id = (n >= 1 && n <= 7) ? GLenum(GL_LIGHT0 + n) : GLenum(GL_LIGHT0);
    for (const Light* light : lights)
        if (light->lightId == id)
            return true;
    return false;
}
