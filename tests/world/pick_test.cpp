// Picking on real GL in selection mode: which mobile object a click at a
// widget pixel drives, what is printed, and the GL state left behind.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/glu.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kWidth = 320; // viewport in pixels
constexpr int kHeight = 240;

// A 1 x 1 upright square in the x-y plane, centred on its position.
class Panel : public TObject {
public:
    void draw() override {
        glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glBegin(GL_QUADS);
        glVertex3f(-0.5f, -0.5f, 0.0f);
        glVertex3f(0.5f, -0.5f, 0.0f);
        glVertex3f(0.5f, 0.5f, 0.0f);
        glVertex3f(-0.5f, 0.5f, 0.0f);
        glEnd();
        glPopMatrix();
    }
};

class Picking : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        // As the canvas sets them on resize.
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(Map::kFieldOfViewDegrees, double(kWidth) / kHeight, Map::kNearPlane,
                       Map::kFarPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        world.addBlueprint("panel", &panel);
        // Eye 20 units in front of the origin at the height of the panels'
        // centres, looking along -z.
        world.setCamera(new Camera(0, 1, 20, 0, 1, 0, 0, 1, 0));
    }

    // Places a panel centred at (x, y, z) in the world (placed objects go 1 up).
    TObject* place(const std::string& key, float x, float y, float z, bool mobile) {
        placed.emplace_back(new TObject);
        placed.back()->position = FPoint(x, y - world.heightOffset, z);
        world.addObject("panel", key, placed.back().get());
        if (mobile)
            world.addMobileKey(key);
        return placed.back().get();
    }

    std::string pickAt(int x, int y) {
        testgl::StdoutCapture out;
        world.pick(x, y);
        return out.text();
    }

    // The widget pixel (origin top-left) where a world point is drawn.
    std::array<int, 2> screenOf(float x, float y, float z) {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glPushMatrix();
        glLoadIdentity();
        world.camera->applyView();
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble wx, wy, wz;
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        return {int(std::floor(wx)), kHeight - int(std::floor(wy))};
    }

    const TObject* driven() const {
        return world.camera->tracker ? world.camera->tracker->object : nullptr;
    }

    Map world;
    Panel panel;
    std::vector<std::unique_ptr<TObject>> placed;
};

std::string picked(int name) {
    return "\npicking: " + std::to_string(name) + "\n";
}

// Thirty cars in a row behind each other, walls between some: the nearest
// car wins (a fixed small selection buffer once overflowed and every pick
// missed).
TEST_F(Picking, TheNearestOfACrowdUnderTheCursorIsDriven) {
    TObject* nearest = nullptr;
    for (int i = 0; i < 30; ++i) {
        const std::string key = "car" + std::to_string(10 + i);
        nearest = place(key, 0, 1, float(i - 29), true); // the last is nearest, at z 0
        if (i % 3 == 0)
            place(key + "wall", 0, 1, float(i - 29) - 0.5f, false);
    }
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(290));
    EXPECT_EQ(driven(), nearest);
    EXPECT_FALSE(world.mouseTracking);
    glLoadIdentity();
}

// The cursor is not always at the centre: the pick must use the display's
// projection and GL's upward window y. A static object is never picked.
TEST_F(Picking, AClickAwayFromTheCentrePicksWhatIsDrawnThere) {
    const float spots[4][2] = {{-6, 1}, {6, 1}, {0, 3.5f}, {0, -1.5f}};
    TObject* objects[4];
    for (int i = 0; i < 4; ++i)
        objects[i] = place(std::string(1, char('a' + i)), spots[i][0], spots[i][1], 0, true);
    place("wall", 0, 1, 0, false);
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(-1));
    EXPECT_FALSE(world.camera->isInCar());
    for (int i = 0; i < 4; ++i) {
        const auto at = screenOf(spots[i][0], spots[i][1], 0);
        EXPECT_EQ(pickAt(at[0], at[1]), picked(10 * i)) << "at " << at[0] << "," << at[1];
        EXPECT_EQ(driven(), objects[i]) << i;
        world.camera->leaveCar();
    }
}

} // namespace
