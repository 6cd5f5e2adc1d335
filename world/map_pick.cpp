// Map picking: a mouse press draws the frame once more in GL selection mode
// through a one-pixel pick region and drives the nearest mobile object hit;
// a right click names every placed object in its own pass and prints the
// nearest one hit as map text.
#include "world/map.h"

#include <GL/glu.h>
#include <QMouseEvent>
#include <algorithm>
#include <iostream>
#include <limits>
#include <vector>

namespace {
constexpr double kPickRegionPixels = 1.0;
// Words of one hit record: name count, minimum depth, maximum depth and at
// most one name (mobile objects push one name on an empty stack).
constexpr size_t kMaxRecordWords = 4;
constexpr size_t kMinSelectWords = 64;
} // namespace

void Map::mousePressed(QMouseEvent* event, double devicePixelRatio) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QPointF at = event->position();
#else
    const QPointF at = event->localPos();
#endif
    const int x = int(at.x() * devicePixelRatio), y = int(at.y() * devicePixelRatio);
    if (event->button() == Qt::RightButton)
        printObjectAt(x, y);
    else
        pick(x, y);
}

// Sets up selection through a one-pixel region at x, y with the display's
// projection; false (nothing set up) when the viewport is empty.
static bool beginSelection(std::vector<GLuint>& buffer, int x, int y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] <= 0 || viewport[3] <= 0)
        return false;
    glSelectBuffer(GLsizei(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(double(x), double(viewport[3] - y), kPickRegionPixels, kPickRegionPixels,
                  viewport);
    gluPerspective(Map::kFieldOfViewDegrees, double(viewport[2]) / double(viewport[3]),
                   Map::kNearPlane, Map::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    return true;
}

// Ends what beginSelection set up; the number of hit records.
static GLint endSelection() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return glRenderMode(GL_RENDER);
}

Map::ObjectId Map::objectAt(int x, int y) {
    // Each object held now is named by its index here, in key order.
    std::vector<ObjectId> named;
    for (const auto& [blueprintKey, group] : objects)
        for (const auto& entry : group)
            if (entry.second >= refused.size() || !refused[entry.second])
                named.push_back(entry.second);
    // One name a record: four words each, whatever is hit.
    std::vector<GLuint> buffer(std::max(kMinSelectWords, kMaxRecordWords * (named.size() + 1)));
    if (!beginSelection(buffer, x, y))
        return kNoObject;
    viewer.applyView();
    for (std::size_t i = 0; i < named.size(); ++i) {
        const PlacedObject& object = placed[named[i]];
        glLoadName(GLuint(i));
        getBlueprint(object.blueprintKey)->draw(viewer.shownPlacement(*object.object), textures);
    }
    const GLint hits = endSelection();
    GLuint bestDepth = std::numeric_limits<GLuint>::max();
    std::size_t best = named.size();
    const GLuint* record = buffer.data();
    for (GLint i = 0; i < hits; ++i, record += 3 + record[0])
        if (record[0] > 0 && record[1] < bestDepth && record[3] < named.size()) {
            bestDepth = record[1];
            best = record[3];
        }
    return best == named.size() ? kNoObject : named[best];
}

void Map::printObjectAt(int x, int y) {
    const ObjectId id = objectAt(x, y);
    if (id == kNoObject) {
        std::cout << "Geen object onder de muis" << std::endl;
        return;
    }
    printObject(id);
}

void Map::pick(int x, int y) {
    // Every named object gives at most one record, and the unnamed hits
    // between two of them (and after the last) at most one more each, so
    // one record per placed object plus one always fits.
    size_t held = 0;
    for (const auto& entry : objects)
        held += entry.second.size();
    std::vector<GLuint> buffer(std::max(kMinSelectWords, kMaxRecordWords * (held + 1)));

    if (!beginSelection(buffer, x, y)) {
        processHits(0, buffer.data());
        return;
    }
    // Mobile objects push their one name on an empty stack. drawFrame
    // resolves the steps, and with them the mobile placements the names count.
    glInitNames();
    drawFrame();
    processHits(endSelection(), buffer.data());
}

// NOTE: the first name of the record with the smallest minimum depth wins;
// records without names (static objects) never win; a negative count
// (buffer overflow) reads no record.
void Map::processHits(GLint hits, const GLuint* buffer) {
    GLuint bestDepth = std::numeric_limits<GLuint>::max();
    GLuint picked = std::numeric_limits<GLuint>::max();
    const GLuint* record = buffer;
    for (GLint i = 0; i < hits; ++i) {
        const GLuint names = record[0];
        const GLuint minDepth = record[1];
        for (GLuint n = 0; n < names; ++n) {
            if (minDepth < bestDepth) {
                bestDepth = minDepth;
                picked = record[3 + n];
            }
        }
        record += 3 + names;
    }
    std::cout << std::endl << "picking: " << GLint(picked) << std::endl;

    // Each mobile placement is named 10 x its place among them in load order.
    if (picked % 10 != 0 || picked / 10 >= mobilePlacements.size())
        return;
    mouseLook = false;
    viewer.enterCar(placed[mobilePlacements[picked / 10]].object);
}
