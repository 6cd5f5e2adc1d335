// Map: the world model: registration of blueprints, placed objects, mobile
// keys and lights, the lookups that drawing, keys and picking use, and the
// answers to the camera's questions.
#include "world/map.h"

#include <iostream>

namespace {
using WorldRules::kDefaultCentre;
using WorldRules::kDefaultEye;

// True if p lies inside the box centred at c with half sizes h, faces included.
bool inside(const FPoint& p, const FPoint& c, const FPoint& h) {
    return p.x >= c.x - h.x && p.x <= c.x + h.x && p.y >= c.y - h.y && p.y <= c.y + h.y &&
           p.z >= c.z - h.z && p.z <= c.z + h.z;
}
} // namespace

Map::Map(TextureFactory& textures)
    : textures(textures), viewer(kDefaultEye[0], kDefaultEye[1], kDefaultEye[2], kDefaultCentre[0],
                                 kDefaultCentre[1], kDefaultCentre[2], 0.0, 1.0, 0.0) {
    std::copy(kDefaultEye, kDefaultEye + 3, startEye);
    std::copy(kDefaultCentre, kDefaultCentre + 3, startCentre);
}

// Needs the GL context the lists were made in to be current.
Map::~Map() {
    deleteLists();
}

void Map::own(TObject* object) {
    owned.emplace_back(object);
}

void Map::own(Light* light) {
    ownedLights.emplace_back(light);
}

void Map::setCamera(const Camera& camera) {
    viewer = camera;
    cameraGiven = true;
    for (int i = 0; i < 3; ++i) {
        startEye[i] = camera.eye[i];
        startCentre[i] = camera.centre[i];
    }
}

void Map::ensureCamera() {
    if (cameraGiven)
        return;
    std::cout << "Geen camera in de map, standaardcamera op (0, 2.5, 35) \n";
    cameraGiven = true; // said once
}

void Map::resetViewer() {
    viewer.setLookAt(startEye[0], startEye[1], startEye[2], startCentre[0], startCentre[1],
                     startCentre[2], 0.0, 1.0, 0.0);
    viewer.settle();
}

void Map::takeViewerFrom(const Map& old) {
    const Camera& before = old.viewer;
    viewer = before;
    viewer.leaveCar();
    viewer.settle();
    lightingOn = old.lightingOn;
    mouseLook = old.mouseLook;
    collisionOn = old.collisionOn;
    renderMode = old.renderMode;
    shadeModel = old.shadeModel;
    for (Light* light : lights)
        for (const Light* was : old.lights)
            if (was->lightId == light->lightId)
                light->on = was->on;
    if (!before.isInCar())
        return;
    const ObjectId driven = old.idOf(before.tracker.object);
    if (driven == kNoObject)
        return;
    const PlacedObject& was = old.placed[driven];
    // The same two keys; else, as the keys alone name a car, the same object key.
    ObjectId id = objectId(was.blueprintKey, was.objectKey);
    if (id == kNoObject)
        id = findObjectId(was.objectKey);
    if (id == kNoObject || !isMobile(was.objectKey))
        return; // on foot, where the car's view was
    TObject* car = placed[id].object;
    viewer.enterCar(car);
    viewer.tracker = before.tracker; // speed, steering and where it stands
    viewer.tracker.object = car;
    viewer.tracker.writeBack(); // where it stands now, not where the file puts it
    viewer.settle();
}

void Map::addBlueprint(const std::string& key, TObject* blueprint) {
    if (WorldRules::isRoadKey(key))
        roadTrack.addRoadKey(key);
    blueprints[key] = blueprint;
    ++additions;
}

Map::ObjectId Map::addObject(const std::string& blueprintKey, const std::string& objectKey,
                             TObject* object, const MapPlace& source) {
    if (!hasBlueprint(blueprintKey))
        return kNoObject;
    const ObjectId id = placed.size();
    placed.push_back({object, blueprintKey, objectKey, source, false});
    auto [entry, added] = objects[blueprintKey].emplace(objectKey, id);
    if (!added) {
        placed[entry->second].replaced = true;
        entry->second = id;
    }
    ++additions;
    if (!WorldRules::isSkyBox(objectKey))
        object->position.y += heightOffset;
    return id;
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

Map::ObjectId Map::findObjectId(const std::string& objectKey) const {
    for (const auto& [blueprintKey, group] : objects) {
        auto it = group.find(objectKey);
        if (it != group.end())
            return it->second;
    }
    return kNoObject;
}

TObject* Map::findObject(const std::string& objectKey) const {
    const ObjectId id = findObjectId(objectKey);
    return id == kNoObject ? nullptr : placed[id].object;
}

Map::ObjectId Map::objectId(const std::string& blueprintKey, const std::string& objectKey) const {
    const auto group = objects.find(blueprintKey);
    if (group == objects.end())
        return kNoObject;
    const auto it = group->second.find(objectKey);
    return it == group->second.end() ? kNoObject : it->second;
}

Map::ObjectId Map::idOf(const TObject* object) const {
    for (ObjectId id = 0; id < placed.size(); ++id)
        if (placed[id].object == object && !placed[id].replaced)
            return id;
    return kNoObject;
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
        placement.skybox = WorldRules::isSkyBox(blueprintKey);
        placement.measure = RoadTrack::measureOf(blueprintKey);
        for (const auto& entry : group)
            placement.objects.push_back(placed[entry.second].object);
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
    for (const Placement& group : placements()) {
        const TObject* blueprint = group.blueprint;
        for (const TObject* object : group.objects) {
            const FPoint half(blueprint->getWidth(*object) / 2, blueprint->getHeight(*object) / 2,
                              blueprint->getDepth(*object) / 2);
            if (group.skybox ? !inside(point, FPoint(0, WorldRules::kSkyBoxCentreY, 0), half)
                             : inside(point, object->position, half))
                return true;
        }
    }
    return false;
}

bool Map::entersBlock(const FPoint& from, const FPoint& to) {
    for (const Placement& group : placements()) {
        const TObject* blueprint = group.blueprint;
        for (const TObject* object : group.objects) {
            const FPoint half(blueprint->getWidth(*object) / 2, blueprint->getHeight(*object) / 2,
                              blueprint->getDepth(*object) / 2);
            // Outside the sky box every point is blocked, wherever the viewer stood.
            if (group.skybox
                    ? !inside(to, FPoint(0, WorldRules::kSkyBoxCentreY, 0), half)
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
    const GLenum id = GLenum(GL_LIGHT0 + WorldRules::lightNumber(n));
    for (const Light* light : lights)
        if (light->lightId == id)
            return true;
    return false;
}

Map::ObjectId Map::driven() const {
    return viewer.isInCar() ? idOf(viewer.tracker.object) : kNoObject;
}

double Map::fileHeight(ObjectId id) const {
    const PlacedObject& object = placed[id];
    // Every object but the sky box was raised when it was placed.
    return double(object.object->position.y) -
           (WorldRules::isSkyBox(object.objectKey) ? 0.0 : double(heightOffset));
}
