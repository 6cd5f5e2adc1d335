// Map drawing: the placed objects resolved to draw steps once after loading,
// display lists for batches of static objects, the camera's step of a tick,
// and the drawing of a frame (switches, the view, flashlights, objects out of
// view or hidden skipped, overlay text).
#include "world/map.h"

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
    constexpr double kMaxCells = double(WorldRules::kMaxCells);
    if (!quad->drawableAt(placement))
        return false; // too large on its own, or a negative size: it said so
    const double cells = quad->gridCells(placement);
    if (quadCells + cells > kMaxCells) {
        if (!quad->refused)
            std::cout << "Quad " << key << ": alle quads samen zouden meer dan "
                      << WorldRules::kMaxCells
                      << " cellen hebben: deze en verdere plaatsingen worden niet getekend \n";
        quad->refused = true;
        return false;
    }
    quadCells += cells;
    return true;
}

void Map::resolveLoadOrder() {
    // Handles run in load order; a placement replaced by a later one of the
    // same keys is not held.
    quadCells = 0;
    refused.assign(placed.size(), false);
    mobilePlacements.clear();
    for (ObjectId id = 0; id < placed.size(); ++id) {
        const PlacedObject& p = placed[id];
        if (p.replaced)
            continue;
        if (isMobile(p.objectKey))
            mobilePlacements.push_back(id);
        if (!withinCellBudget(getBlueprint(p.blueprintKey), *p.object, p.blueprintKey))
            refused[id] = true;
    }
}

void Map::deleteLists() {
    for (const DrawStep& step : steps) {
        if (step.list)
            glDeleteLists(step.list, 1);
        for (const DrawStep::Tile& tile : step.tiles)
            glDeleteLists(tile.list, 1);
    }
}

void Map::resolve() {
    if (stepsResolvedAt == additions)
        return;
    stepsResolvedAt = additions;
    // Something was added: the batches are made again, and their lists with them.
    deleteLists();
    steps.clear();
    resolveLoadOrder();
    // The pick name of each mobile placement: 10 x its place among them.
    std::vector<GLuint> pickNames(placed.size(), 0);
    std::vector<bool> mobile(placed.size(), false);
    for (std::size_t i = 0; i < mobilePlacements.size(); ++i) {
        pickNames[mobilePlacements[i]] = GLuint(10 * i);
        mobile[mobilePlacements[i]] = true;
    }

    for (const auto& [blueprintKey, group] : objects) {
        // Only objects of a registered blueprint are held.
        TObject* blueprint = getBlueprint(blueprintKey);
        // Batches of this group by square, in the order their first object comes.
        std::map<std::pair<long, long>, std::size_t> batchOfSquare;
        for (const auto& [objectKey, id] : group) {
            TObject* object = placed[id].object;
            DrawStep step;
            step.blueprint = blueprint;
            step.blueprintKey = &blueprintKey;
            step.object = object;
            step.skybox = WorldRules::isSkyBox(objectKey);
            if (refused[id])
                continue;
            if (mobile[id]) {
                step.kind = DrawStep::Mobile;
                step.pickName = pickNames[id];
                steps.push_back(step);
                continue;
            }
            const Bounds bounds = blueprint->bounds(*object);
            const Sphere& sphere = bounds.sphere;
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
                step.box = bounds.box;
                step.objects.push_back(object);
                if (!alone)
                    batchOfSquare[square] = steps.size();
                steps.push_back(step);
            } else {
                DrawStep& batch = steps[found->second];
                batch.sphere = batch.sphere.merged(sphere);
                if (batch.box.known() && bounds.box.known())
                    batch.box.add(bounds.box);
                else
                    batch.box = Box(); // unknown as a whole: never skipped
                batch.objects.push_back(object);
            }
        }
    }
    compileBatches();
    hidden.reset(numberUnits(steps));
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
            continue;
        }
        step.list = glGenLists(1);
        step.compiled = false;
    }
}

bool Map::moveObject(ObjectId id, const FPoint& position, const FPoint& rotation) {
    resolve();
    if (id >= placed.size() || placed[id].replaced || refused[id] ||
        WorldRules::isRoadKey(placed[id].blueprintKey))
        return false;
    TObject* object = placed[id].object;
    DrawStep* batch = nullptr;
    for (DrawStep& step : steps) {
        const bool holds = step.kind == DrawStep::Mobile
                               ? step.object == object
                               : std::find(step.objects.begin(), step.objects.end(), object) !=
                                     step.objects.end();
        if (!holds)
            continue;
        if (step.tiled)
            return false;
        if (step.kind == DrawStep::Batch)
            batch = &step;
        break;
    }
    object->position = position;
    if (!WorldRules::isSkyBox(placed[id].objectKey))
        object->position.y += heightOffset;
    object->rotation = rotation;
    if (batch) {
        // Its list and its bounds are made again from where its objects stand now.
        batch->compiled = false;
        batch->sphere = Sphere();
        batch->box = Box();
        bool first = true;
        for (const TObject* member : batch->objects) {
            const Bounds bounds = batch->blueprint->bounds(*member);
            batch->sphere = first ? bounds.sphere : batch->sphere.merged(bounds.sphere);
            if (first)
                batch->box = bounds.box;
            else if (batch->box.known() && bounds.box.known())
                batch->box.add(bounds.box);
            else
                batch->box = Box(); // unknown as a whole: never skipped
            first = false;
        }
    }
    return true;
}

void Map::compileBatch(DrawStep& step) {
    step.compiled = true;
    glNewList(step.list, GL_COMPILE);
    step.blueprint->drawBatch(step.objects, textures);
    glEndList();
}

void Map::step() {
    viewer.keepPrevious();
    if (!collisionOn)
        viewer.update();
    else if (viewer.isInCar())
        viewer.carFrame(*this);
    else
        viewer.footFrame(*this);
}
void Map::drawFrame() {
    resolve();
    if (lightingOn)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, renderMode);
    glLineWidth(kLineWidthPixels);
    glShadeModel(shadeModel);

    viewer.applyView();

    // Flashlights sit at the eye and shine where the viewer looks, as shown
    // between the last two steps.
    double eye[3], centre[3];
    viewer.shownView(eye, centre);
    for (Light* light : flashlights) {
        light->setPosition(float(eye[0]), float(eye[1]), float(eye[2]), 1.0f);
        light->setSpot(light->spotCutoff, float(centre[0] - eye[0]), float(centre[1] - eye[1]),
                       float(centre[2] - eye[2]), 1.0f);
    }

    ViewVolume view;
    view.fromGL();
    culled = 0;
    hidden.beginFrame(eye);
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
        if (step.kind == DrawStep::Batch) {
            if (view.outside(step.sphere)) {
                ++culled;
                continue;
            }
            if (!step.tiled && hidden.hidden(step.unit, step.box))
                continue;
            switchLights(step.skybox ? SkyLights : SceneLights);
            if (!step.tiled) {
                if (!step.compiled)
                    compileBatch(step);
                glCallList(step.list);
            }
            for (const DrawStep::Tile& tile : step.tiles) {
                if (view.outside(tile.sphere))
                    ++culled;
                else if (!hidden.hidden(tile.unit, tile.box))
                    glCallList(tile.list);
            }
            continue;
        }
        const TObject shown = viewer.shownPlacement(*step.object);
        const Bounds bounds = step.blueprint->bounds(shown);
        if (view.outside(bounds.sphere)) {
            ++culled;
            continue;
        }
        if (hidden.hidden(step.unit, bounds.box))
            continue;
        switchLights(step.skybox ? SkyLights : SceneLights);
        glPushName(step.pickName);
        step.blueprint->draw(shown, textures);
        glPopName();
    }
    switchLights(NoLights);
    hidden.endFrame();
    drawSelection();

    buildOverlayText();
}

void Map::drawSelection() {
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (selected == kNoObject || mode != GL_RENDER)
        return; // picking names what is hit, never the outline
    const PlacedObject& object = placed[selected];
    const TObject shown = viewer.shownPlacement(*object.object);
    Box box = getBlueprint(object.blueprintKey)->bounds(shown).box;
    if (!box.known()) { // a unit box where it stands
        box = Box();
        box.add(shown.position.x - 0.5f, shown.position.y - 0.5f, shown.position.z - 0.5f);
        box.add(shown.position.x + 0.5f, shown.position.y + 0.5f, shown.position.z + 0.5f);
    }
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
    glDepthFunc(GL_LEQUAL);
    glLineWidth(2.0f);
    glColor3f(1.0f, 1.0f, 0.0f);
    glBegin(GL_LINES);
    // The twelve edges: each pair of corners that differ along one axis.
    for (int a = 0; a < 8; ++a)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(a & bit)) {
                const int b = a | bit;
                glVertex3f(a & 1 ? box.hi[0] : box.lo[0], a & 2 ? box.hi[1] : box.lo[1],
                           a & 4 ? box.hi[2] : box.lo[2]);
                glVertex3f(b & 1 ? box.hi[0] : box.lo[0], b & 2 ? box.hi[1] : box.lo[1],
                           b & 4 ? box.hi[2] : box.lo[2]);
            }
    glEnd();
    glPopAttrib();
}
