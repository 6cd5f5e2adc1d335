// Map drawing: the keys resolved to draw steps once after loading, display
// lists for batches of static objects, and the per-frame pass (switches,
// camera step of a tick, and the drawing of a frame (switches, the view,
// flashlights, objects out of view skipped, overlay text).
#include "world/map.h"

#include "scene/girder.h"
#include "scene/quad.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <typeinfo>

namespace {

// Static objects of one blueprint whose centres lie in the same square of
// this many world units share a list; an object wider than a square keeps
// one of its own, so that it does not stretch the batch's sphere.
constexpr float kBatchSquare = 32.0f;
// A centre farther out than this along x or z (world units, or not a number)
// keeps a list of its own: its square's number would not fit a long.
constexpr float kMaxBatchCentre = 1.0e15f;
// A large quad (the ground) is compiled in tiles of this many cells a side
// (2 units each), so that what lies behind the viewer is skipped too.
constexpr int kTileCells = 16;

constexpr float kLineWidthPixels = 1.3f; // wireframe (key M)

bool rotated(const TObject* object) {
    return object->rotation.x != 0.0f || object->rotation.y != 0.0f || object->rotation.z != 0.0f;
}

// Numbers what occlusion decides on: each batch's list, each tile, each
// mobile object. Returns how many there are.
std::size_t numberUnits(std::vector<Map::DrawStep>& steps) {
    std::size_t count = 0;
    for (Map::DrawStep& step : steps) {
        step.unit = count++;
        for (Map::DrawStep::Tile& tile : step.tiles)
            tile.unit = count++;
    }
    return count;
}

// Which light set a step needs: the sky box's (the first light alone) or
// everyone else's (every light but the one on GL_LIGHT0).
enum LightSet { NoLights = -1, SkyLights = 0, SceneLights = 1 };

} // namespace

bool Map::withinCellBudget(TObject* blueprint, const TObject& placement, const std::string& key) {
    auto* quad = dynamic_cast<Quad*>(blueprint);
    if (!quad)
        return true;
    if (!quad->drawableAt(placement))
        return false; // too large on its own, or a negative size: it said so
    const double cells = quad->gridCells(placement);
    if (quadCells + cells > double(Quad::kMaxCells)) {
        if (!quad->refused)
            std::cout << "Quad " << key << ": alle quads samen zouden meer dan " << Quad::kMaxCells
                      << " cellen hebben: deze en verdere plaatsingen worden niet getekend \n";
        quad->refused = true;
        return false;
    }
    quadCells += cells;
    return true;
}

void Map::resolveLoadOrder() {
    struct Placed {
        std::size_t order;
        TObject* blueprint;
        const std::string* blueprintKey;
        const std::string* objectKey;
        TObject* object;
    };
    std::vector<Placed> placed;
    for (const auto& [blueprintKey, group] : objects) {
        TObject* blueprint = getBlueprint(blueprintKey);
        if (!blueprint)
            continue;
        for (const auto& [objectKey, object] : group) {
            const auto order = loadOrder.find(object);
            if (object && order != loadOrder.end())
                placed.push_back({order->second, blueprint, &blueprintKey, &objectKey, object});
        }
    }
    std::sort(placed.begin(), placed.end(),
              [](const Placed& a, const Placed& b) { return a.order < b.order; });
    quadCells = 0;
    refusedPlacements.clear();
    mobilePlacements.clear();
    for (const Placed& p : placed) {
        if (isMobile(*p.objectKey))
            mobilePlacements.push_back(p.object);
        if (!withinCellBudget(p.blueprint, *p.object, *p.blueprintKey))
            refusedPlacements.insert(p.object);
    }
}

void Map::resolve() {
    if (stepsResolvedAt == additions)
        return;
    stepsResolvedAt = additions;
    // Something was added: the batches are made again, and their lists with them.
    for (const DrawStep& step : steps) {
        if (step.list)
            glDeleteLists(step.list, 1);
        for (const DrawStep::Tile& tile : step.tiles)
            glDeleteLists(tile.list, 1);
    }
    steps.clear();
    displayLists.clear();
    resolveLoadOrder();
    // The pick name of each mobile placement: 10 x its place among them.
    std::map<const TObject*, GLuint> pickNames;
    for (std::size_t i = 0; i < mobilePlacements.size(); ++i)
        pickNames[mobilePlacements[i]] = GLuint(10 * i);

    for (const auto& [blueprintKey, group] : objects) {
        TObject* blueprint = getBlueprint(blueprintKey);
        // Batches of this group by square, in the order their first object comes.
        std::map<std::pair<long, long>, std::size_t> batchOfSquare;
        for (const auto& [objectKey, object] : group) {
            DrawStep step;
            step.blueprint = blueprint;
            step.blueprintKey = &blueprintKey;
            step.objectKey = &objectKey;
            step.object = object;
            step.skybox = objectKey == "skybox";
            if (!blueprint) {
                step.kind = DrawStep::Missing;
                steps.push_back(step);
                continue;
            }
            if (refusedPlacements.count(object))
                continue;
            const auto mobile = pickNames.find(object);
            if (mobile != pickNames.end()) {
                step.kind = DrawStep::Mobile;
                step.pickName = mobile->second;
                steps.push_back(step);
                continue;
            }
            const Sphere sphere = boundingSphere(blueprint, *object);
            const Box box = boundingBox(blueprint, *object);
            const bool alone = step.skybox || !sphere.known() || sphere.radius > kBatchSquare ||
                               !(std::fabs(sphere.x) < kMaxBatchCentre) ||
                               !(std::fabs(sphere.z) < kMaxBatchCentre);
            const std::pair<long, long> square =
                alone ? std::pair<long, long>()
                      : std::pair<long, long>(long(std::floor(sphere.x / kBatchSquare)),
                                              long(std::floor(sphere.z / kBatchSquare)));
            auto found = alone ? batchOfSquare.end() : batchOfSquare.find(square);
            if (found == batchOfSquare.end()) {
                step.kind = DrawStep::Batch;
                step.sphere = sphere;
                step.box = box;
                step.objects.push_back(object);
                step.keys.push_back(&objectKey);
                if (!alone)
                    batchOfSquare[square] = steps.size();
                steps.push_back(step);
            } else {
                DrawStep& batch = steps[found->second];
                batch.sphere = batch.sphere.merged(sphere);
                if (batch.box.known() && box.known())
                    batch.box.add(box);
                else
                    batch.box = Box(); // unknown as a whole: never skipped
                batch.objects.push_back(object);
                batch.keys.push_back(&objectKey);
            }
        }
    }
    compileBatches();
    occlusion.reset(numberUnits(steps));
}

void Map::compileDisplayLists() {
    resolve();
}

void Map::compileBatches() {
    for (DrawStep& step : steps) {
        if (step.kind != DrawStep::Batch)
            continue;
        // Road pieces set their size from their placement in draw: only plain quads are tiled.
        if (step.objects.size() == 1 && step.sphere.radius > kBatchSquare &&
            typeid(*step.blueprint) == typeid(Quad)) {
            auto* quad = static_cast<Quad*>(step.blueprint);
            const TObject& placement = *step.objects.front();
            step.tiled = true;
            quad->drawTiles(
                placement, textures, kTileCells,
                [&](const float* lowest, const float* highest) {
                    DrawStep::Tile tile;
                    tile.list = glGenLists(1);
                    tile.sphere = sphereAround(lowest, highest);
                    tile.box.add(lowest[0], lowest[1], lowest[2]);
                    tile.box.add(highest[0], highest[1], highest[2]);
                    step.tiles.push_back(tile);
                    glNewList(tile.list, GL_COMPILE);
                },
                [] { glEndList(); });
            if (!step.tiles.empty())
                displayLists[*step.blueprintKey][*step.keys.front()] = step.tiles.front().list;
            continue;
        }
        step.list = glGenLists(1);
        step.compiled = false;
        for (const std::string* key : step.keys)
            displayLists[*step.blueprintKey][*key] = step.list;
    }
}

void Map::compileBatch(DrawStep& step) {
    step.compiled = true;
    auto* girder = dynamic_cast<Girder*>(step.blueprint);
    glNewList(step.list, GL_COMPILE);
    // The girders of a batch send a texture or material only where it
    // changes; every other blueprint draws itself in full.
    GirderDrawState state;
    for (const TObject* placed : step.objects) {
        const TObject& object = *placed;
        if (!girder) {
            step.blueprint->draw(object, textures);
            continue;
        }
        const Girder::Corners corners = girder->cornersAt(object.position);
        if (!rotated(&object)) {
            girder->drawSides(corners, textures, state);
            continue;
        }
        // A girder turns about the world origin: keep the turn to itself.
        Girder::endSides(state);
        glPushMatrix();
        Girder::applyRotation(object.rotation);
        girder->drawSides(corners, textures, state);
        Girder::endSides(state);
        glPopMatrix();
    }
    if (girder)
        Girder::finishSides(state);
    glEndList();
}

void Map::step() {
    ensureCamera();
    if (!collisionOn)
        camera->update();
    else if (camera->isInCar())
        camera->carFrame(*this);
    else
        camera->footFrame(*this);
}

void Map::drawFrame() {
    ensureCamera();
    resolve();
    if (lightingOn)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, renderMode);
    glLineWidth(kLineWidthPixels);
    glShadeModel(shadeModel);

    camera->applyView();

    // Flashlights sit at the eye and shine where the viewer looks.
    for (Light* light : flashlights) {
        light->setPosition(float(camera->eye[0]), float(camera->eye[1]), float(camera->eye[2]),
                           1.0f);
        light->setSpot(light->spotCutoff, float(camera->centre[0] - camera->eye[0]),
                       float(camera->centre[1] - camera->eye[1]),
                       float(camera->centre[2] - camera->eye[2]), 1.0f);
    }

    ViewVolume view;
    view.fromGL();
    culledLastFrame = 0;
    occlusion.beginFrame(camera->eye);
    // Lights are switched on when the set a step needs changes, and off at
    // the end: between two steps nothing is drawn, so each object sees the
    // same lights as when they went on and off around every one of them.
    LightSet lit = NoLights;
    auto switchLights = [&](LightSet wanted) {
        if (lit == wanted)
            return;
        if (lit != NoLights)
            for (Light* light : lights)
                light->disable();
        if (wanted == SkyLights) {
            if (!lights.empty())
                lights.front()->draw();
        } else if (wanted == SceneLights) {
            for (Light* light : lights)
                if (light->lightId != GL_LIGHT0)
                    light->draw();
        }
        lit = wanted;
    };

    for (DrawStep& step : steps) {
        if (step.kind == DrawStep::Missing) {
            std::cout << "Blueprint : " << *step.blueprintKey << " : voor object "
                      << *step.objectKey << " is niet gekend! \n";
            continue;
        }
        if (step.kind == DrawStep::Batch) {
            if (view.outside(step.sphere)) {
                ++culledLastFrame;
                continue;
            }
            if (!step.tiled && occlusion.hidden(step.unit, step.box))
                continue;
            switchLights(step.skybox ? SkyLights : SceneLights);
            if (!step.tiled) {
                if (!step.compiled)
                    compileBatch(step);
                glCallList(step.list);
            }
            for (const DrawStep::Tile& tile : step.tiles) {
                if (view.outside(tile.sphere))
                    ++culledLastFrame;
                else if (!occlusion.hidden(tile.unit, tile.box))
                    glCallList(tile.list);
            }
            continue;
        }
        if (view.outside(boundingSphere(step.blueprint, *step.object))) {
            ++culledLastFrame;
            continue;
        }
        if (occlusion.hidden(step.unit, boundingBox(step.blueprint, *step.object)))
            continue;
        switchLights(step.skybox ? SkyLights : SceneLights);
        glPushName(step.pickName);
        step.blueprint->draw(*step.object, textures);
        glPopName();
    }
    switchLights(NoLights);
    occlusion.endFrame();

    buildOverlayText();
}
