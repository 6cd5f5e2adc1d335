// Picking on real GL in selection mode: which mobile object a click at a
// widget pixel drives, what is printed, and the GL state left behind.
#include "camera/camera.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <QMouseEvent>
#include <QPoint>
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

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
        glGetIntegerv(GL_VIEWPORT, savedViewport);
        // As the canvas sets them on resize.
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(40.0, double(kWidth) / double(kHeight), 1.0, 750.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();

        world.addBlueprint("panel", &panel);
        // Eye 20 units in front of the origin at the height of the panels'
        // centres (placed objects go 1 up), looking along -z.
        world.setCamera(new Camera(0, 1, 20, 0, 1, 0, 0, 1, 0));
    }

    void TearDown() override {
        glViewport(savedViewport[0], savedViewport[1], savedViewport[2], savedViewport[3]);
    }

    // Places a panel centred at (x, y, z) in the world.
    TObject* place(const std::string& key, float x, float y, float z, bool mobile) {
        auto* o = new TObject;
        o->position = FPoint(x, y - world.heightOffset, z);
        placed.emplace_back(o);
        world.addObject("panel", key, o);
        if (mobile)
            world.addMobileKey(key);
        return o;
    }

    std::string pickAt(int x, int y) {
        testgl::StdoutCapture out;
        world.pick(x, y);
        return out.text();
    }

    std::string pickAt(QPoint p) { return pickAt(p.x(), p.y()); }

    // The widget pixel (origin top-left) where a world point is drawn with
    // the camera's current view and the canvas's projection.
    QPoint screenOf(const FPoint& p) {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
            glLoadIdentity();
            world.camera->applyView();
            glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        GLdouble wx, wy, wz;
        gluProject(p.x, p.y, p.z, model, projection, viewport, &wx, &wy, &wz);
        return QPoint(int(std::floor(wx)), kHeight - int(std::floor(wy)));
    }

    const TObject* driven() const {
        return world.camera->tracker ? world.camera->tracker->object : nullptr;
    }

    Map world;
    Panel panel;
    std::vector<std::unique_ptr<TObject>> placed;
    GLint savedViewport[4];
};

std::string picked(int name) {
    return "\npicking: " + std::to_string(name) + "\n";
}

TEST_F(Picking, TheNearerOfTwoMobileObjectsUnderTheCursorIsDriven) {
    // The farther one is registered and walked first.
    place("a_far", 0, 1, -10, true);
    TObject* nearer = place("b_near", 0, 1, 0, true);
    glTranslatef(0, 50, 0); // a model-view matrix that is not the identity
    std::array<GLdouble, 16> projection, modelView, after;
    glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView.data());

    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(10));
    EXPECT_EQ(driven(), nearer);
    EXPECT_FALSE(world.mouseTracking);

    // GL is back in render mode with the model-view matrix current and both
    // matrices as they were.
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    EXPECT_EQ(mode, GL_RENDER);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetDoublev(GL_PROJECTION_MATRIX, after.data());
    EXPECT_EQ(after, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, after.data());
    EXPECT_EQ(after, modelView);
    glLoadIdentity();
}

TEST_F(Picking, AStaticObjectIsNotPickedAndTheFirstMobileOneIsNameZero) {
    place("wall", 0, 1, 0, false);
    TObject* car = place("car", 5, 1, 0, true); // drawn, but not under the cursor
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(-1));
    EXPECT_FALSE(world.camera->isInCar());
    EXPECT_TRUE(world.mouseTracking);

    EXPECT_EQ(pickAt(screenOf(FPoint(5, 1, 0))), picked(0));
    EXPECT_EQ(driven(), car);
}

// The cursor is not always at the centre (mouse look off, or a held button):
// the pick must use the display's projection and GL's upward window y.
TEST_F(Picking, AClickAwayFromTheCentrePicksWhatIsDrawnThere) {
    const FPoint spots[4] = {{-6, 1, 0}, {6, 1, 0}, {0, 3.5f, 0}, {0, -1.5f, 0}};
    const char* keys[4] = {"left", "right", "up", "down"};
    TObject* objects[4];
    for (int i = 0; i < 4; ++i)
        objects[i] = place(keys[i], spots[i].x, spots[i].y, spots[i].z, true);

    for (int i = 0; i < 4; ++i) {
        const QPoint at = screenOf(spots[i]);
        EXPECT_EQ(pickAt(at), picked(10 * i)) << keys[i] << " at " << at.x() << "," << at.y();
        EXPECT_EQ(driven(), objects[i]) << keys[i];
        world.camera->leaveCar();
    }
    // Sanity of the set-up: the panels are well away from the centre.
    EXPECT_LT(screenOf(spots[0]).x(), kWidth / 2 - 40);
    EXPECT_LT(screenOf(spots[2]).y(), kHeight / 2 - 20);
}

TEST_F(Picking, EveryMouseButtonPicks) {
    TObject* car = place("car", 0, 1, 0, true);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        world.camera->leaveCar();
        world.mouseTracking = true;
        const QPointF centre(kWidth / 2, kHeight / 2);
        QMouseEvent press(QEvent::MouseButtonPress, centre, centre, button, button, Qt::NoModifier);
        testgl::StdoutCapture out;
        world.mousePressed(&press);
        EXPECT_EQ(out.text(), picked(0)) << button;
        EXPECT_EQ(driven(), car) << button;
        EXPECT_FALSE(world.mouseTracking);
    }
}

TEST_F(Picking, PickingASecondCarWhileDrivingSwitchesCars) {
    TObject* first = place("first", 0, 1, 0, true);
    TObject* second = place("second", 3, 1, 10, true);
    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(0));
    ASSERT_EQ(driven(), first);
    ObjectTracker* firstTracker = world.camera->tracker;

    // From the next frame on the view follows the first car from behind
    // (-z), looking along +z.
    glPushMatrix();
        glLoadIdentity();
        world.drawFrame();
    glPopMatrix();
    EXPECT_NEAR(world.camera->eye[2], -10, 1e-5);
    const QPoint at = screenOf(FPoint(3, 1, 10));
    EXPECT_EQ(pickAt(at), picked(10));
    EXPECT_EQ(driven(), second);
    EXPECT_NE(world.camera->tracker, firstTracker);
    EXPECT_FLOAT_EQ(first->position.x, 0);
    EXPECT_FLOAT_EQ(first->position.z, 0);
    EXPECT_FLOAT_EQ(second->position.x, 3);
}

// Regression: a fixed 64-word selection buffer overflowed when more than
// sixteen mobile objects lay under the cursor, and every pick then missed.
TEST_F(Picking, ACrowdedViewStillPicksTheNearest) {
    TObject* nearest = nullptr;
    for (int i = 0; i < 30; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "car%02d", i);
        nearest = place(key, 0, 1, float(i - 29), true); // car29 nearest, at z 0
        if (i % 3 == 0)
            place(std::string(key) + "wall", 0, 1, float(i - 29) - 0.5f, false); // between cars
    }
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(kWidth / 2, kHeight / 2), picked(290));
    EXPECT_EQ(driven(), nearest);
}

TEST_F(Picking, TheFirstNameOfTheRecordWithTheSmallestMinimumDepthWins) {
    place("a", 0, 1, 0, true);
    place("b", 0, 1, 0, true);
    TObject* c = place("c", 0, 1, 0, true);
    const GLuint garbage[] = {1000, 0, 0, 0};
    const GLuint unknown[] = {1, 3, 4, 77};
    const GLuint records[] = {
        0, 5, 9,           // a static hit, nearest of all: never wins
        1, 100, 200, 0,    //
        2, 50, 60, 20, 10, // the smallest minimum depth: its first name
        1, 50, 55, 10,     // as near, but later
    };
    auto hits = [&](GLint count, const GLuint* buffer) {
        testgl::StdoutCapture out;
        world.processHits(count, buffer);
        return out.text();
    };
    EXPECT_EQ(hits(-1, garbage), picked(-1)); // an overflow reads no record
    EXPECT_EQ(hits(1, unknown), picked(77));
    EXPECT_FALSE(world.camera->isInCar());
    EXPECT_EQ(hits(4, records), picked(20));
    EXPECT_EQ(driven(), c);

    world.camera->leaveCar();
    glViewport(0, 0, 0, 0);
    EXPECT_EQ(pickAt(0, 0), picked(-1));
    EXPECT_FALSE(world.camera->isInCar());
}

} // namespace
