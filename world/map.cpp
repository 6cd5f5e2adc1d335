// Map: the world model: registration of blueprints, placed objects, mobile
// keys and lights, the lookups that drawing, keys and picking use, and the
// answers to the camera's questions.
#include "world/map.h"

#include "scene/quad.h"

#include <iostream>
#include <set>

namespace {
// The start point, also where Space puts the viewer back.
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

Map::~Map() {
    // Each once, however often it was registered.
    std::set<const void*> deleted;
    auto once = [&](const void* p) { return p && deleted.insert(p).second; };
    for (const auto& entry : objects)
        for (const auto& placed : entry.second)
            if (once(placed.second))
                delete placed.second;
    for (const auto& entry : blueprints)
        if (once(entry.second))
            delete entry.second;
    for (Light* light : lights)
        if (once(light))
            delete light;
    for (Light* light : flashlights)
        if (once(light))
            delete light;
    delete camera;
}

void Map::setCamera(Camera* newCamera) {
    if (newCamera != camera)
        delete camera;
    camera = newCamera;
}

void Map::ensureCamera() {
    if (camera)
        return;
    std::cout << "Geen camera in de map, standaardcamera op (0, 2.5, 35) \n";
    camera = new Camera(kStartEye[0], kStartEye[1], kStartEye[2], kStartCentre[0], kStartCentre[1],
                        kStartCentre[2], 0.0, 1.0, 0.0);
}

void Map::resetViewer() {
    camera->setLookAt(kStartEye[0], kStartEye[1], kStartEye[2], kStartCentre[0], kStartCentre[1],
                      kStartCentre[2], 0.0, 1.0, 0.0);
}

void Map::addBlueprint(const std::string& key, TObject* blueprint) {
    if (key.compare(0, 4, "road") == 0)
        roadTrack.addRoadKey(key);
    TObject*& slot = blueprints[key];
    if (slot != blueprint)
        delete slot;
    slot = blueprint;
    ++additions;
    if (auto* quad = dynamic_cast<Quad*>(blueprint))
        quad->name = key; // its refusals name the blueprint
}

void Map::addObject(const std::string& blueprintKey, const std::string& objectKey,
                    TObject* object) {
    if (!hasBlueprint(blueprintKey)) {
        delete object;
        return;
    }
    TObject*& slot = objects[blueprintKey][objectKey];
    if (slot != object)
        delete slot;
    slot = object;
    ++additions;
    if (objectKey != "skybox")
        object->position.y += heightOffset;
}

void Map::addMobileKey(const std::string& objectKey) {
    GLuint count = GLuint(mobileKeys.size());
    mobileKeys[objectKey] = 10 * count;
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

std::string Map::mobileKeyForName(GLuint name) const {
    for (const auto& [key, pickName] : mobileKeys)
        if (pickName == name)
            return key;
    return std::string();
}

TObject* Map::findObject(const std::string& objectKey) const {
    for (const auto& [blueprintKey, group] : objects) {
        auto it = group.find(objectKey);
        if (it != group.end())
            return it->second;
    }
    return nullptr;
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
