// Picking on real GL in selection mode: which mobile object a click at a
// widget pixel drives.
#include "scene/girderrect.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <GL/glu.h>
#include <QKeyEvent>
#include <gtest/gtest.h>

class Picking : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        glViewport(0, 0, 320, 240); // the projection as the canvas sets it
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(Map::kFieldOfViewDegrees, 320.0 / 240, Map::kNearPlane, Map::kFarPlane);
        glMatrixMode(GL_MODELVIEW);
        auto* panel = new GirderRect(1, 1, 0.1f); // a 1 x 1 upright square
        world.own(panel);
        world.addBlueprint("panel", panel);
        // The eye 20 in front of the origin at the panels' height, looking along -z.
        world.setCamera(Camera(0, 1, 20, 0, 1, 0, 0, 1, 0));
    }
    // Places a panel centred at (x, y, z); placed objects go 1 up.
    TObject* place(const std::string& key, float x, float y, float z, bool mobile) {
        auto* placed = new TObject;
        world.own(placed);
        placed->position = FPoint(x - 0.5f, y - 0.5f, z); // the front top left corner
        world.addObject("panel", key, placed);
        if (mobile)
            world.addMobileKey(key);
        return placed;
    }
    // What a click at widget pixel (x, y), origin top left, prints and drives.
    std::pair<std::string, const TObject*> pickAt(int x, int y) {
        testgl::StdoutCapture out;
        world.camera().leaveCar();
        world.pick(x, y);
        glLoadIdentity();
        return {out.text(), world.camera().isInCar() ? world.camera().tracker.object : nullptr};
    }
    TextureFactory store;
    Map world{store};
};

// Thirty cars behind each other, walls between some: the nearest car wins (a
// fixed small selection buffer once overflowed and every pick missed).
TEST_F(Picking, TheNearestOfACrowdUnderTheCursorIsDriven) {
    TObject* nearest = nullptr;
    for (int i = 0; i < 30; ++i) {
        const std::string key = "car" + std::to_string(10 + i);
        nearest = place(key, 0, 1, float(i - 29), true); // the last is nearest, at z 0
        if (i % 3 == 0)
            place(key + "wall", 0, 1, float(i - 29) - 0.5f, false);
    }
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(160, 120),
              std::make_pair(std::string("\npicking: 290\n"), (const TObject*)nearest));
    EXPECT_FALSE(world.mouseTracking());
}

// The cursor is not always at the centre: the pick must use the display's
// projection and GL's upward window y. A static object is never picked.
TEST_F(Picking, AClickAwayFromTheCentrePicksWhatIsDrawnThere) {
    // At 20 units a unit is 120 / tan(20 degrees) / 20 = 16.5 pixels.
    const TObject* left = place("a", -6, 1, 0, true);    // pixel (61, 120)
    const TObject* up = place("b", 0, 3.5f, 0, true);    // pixel (160, 79)
    const TObject* down = place("c", 0, -1.5f, 0, true); // pixel (160, 161)
    place("wall", 0, 1, 0, false);
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(160, 120),
              std::make_pair(std::string("\npicking: -1\n"), (const TObject*)nullptr));
    EXPECT_EQ(pickAt(61, 120), std::make_pair(std::string("\npicking: 0\n"), left));
    EXPECT_EQ(pickAt(160, 79), std::make_pair(std::string("\npicking: 10\n"), up));
    EXPECT_EQ(pickAt(160, 161), std::make_pair(std::string("\npicking: 20\n"), down));
}

// Picking draws the frame once more, but only the timer's tick moves the
// viewer: a click while Z is held took a step of its own.
TEST_F(Picking, AClickDoesNotMoveTheViewer) {
    place("a", 0, 1, 0, true);
    world.compileDisplayLists();
    QKeyEvent forward(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier);
    world.camera().keyPressed(&forward);
    const double before = world.camera().eye[2];
    pickAt(5, 5);
    EXPECT_EQ(world.camera().eye[2], before);
    world.step();
    EXPECT_LT(world.camera().eye[2], before);
}

// The same object key under two blueprints: each mobile placement has a pick
// name of its own (10 x its place among the mobile placements in load order),
// and a click drives the one under the cursor (the key alone once named one
// car for both, and a second registration of the key moved the next name on).
TEST_F(Picking, EachMobilePlacementHasItsOwnNameWhateverItsKey) {
    auto* other = new GirderRect(1, 1, 0.1f);
    world.own(other);
    world.addBlueprint("other", other);
    const TObject* first = place("car", -3, 1, 0, true); // pixel (111, 120)
    auto* second = new TObject;
    world.own(second);
    second->position = FPoint(-0.5f, 0.5f, 0); // centred at (0, 1, 0): pixel (160, 120)
    world.addObject("other", "car", second);
    world.addMobileKey("car");
    const TObject* van = place("van", 3, 1, 0, true); // pixel (209, 120)
    world.compileDisplayLists();
    EXPECT_EQ(pickAt(111, 120), std::make_pair(std::string("\npicking: 0\n"), first));
    EXPECT_EQ(pickAt(160, 120),
              std::make_pair(std::string("\npicking: 10\n"), (const TObject*)second));
    EXPECT_EQ(pickAt(209, 120), std::make_pair(std::string("\npicking: 20\n"), van));
}

// A right click prints turns in 0 to 360 degrees: a car driven round once and
// a bit has turned past 360, and a map may say -90.
TEST_F(Picking, TheReadoutGivesTurnsFrom0To360) {
    const struct {
        float turn;
        const char* element;
    } cases[] = {
        {438, "<rot value=\"78\"/>"},        {-90, "<rot value=\"270\"/>"},      {360, ""},
        {-720.5f, "<rot value=\"359.5\"/>"}, {45.25f, "<rot value=\"45.25\"/>"},
    };
    for (const auto& c : cases) {
        TObject* object = place("p", 0, 1, 0, false);
        object->rotation.y = c.turn;
        testgl::StdoutCapture out;
        world.printObject(world.idOf(object));
        const std::string text = out.text();
        const std::size_t pos = text.find("/>");
        EXPECT_EQ(text.substr(pos + 2, text.find('\n', pos) - pos - 2),
                  std::string(c.element) + "</object>")
            << c.turn << "\n"
            << text;
    }
}
