// The per-frame drawing pass on real GL: switches, lights around each
// object, flashlights, display lists, and the missing-blueprint report.
#include "tests/support/gltest.h"
#include "world/map.h"

#include <GL/glu.h>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A blueprint that records, each time it is drawn, which GL lights are
// enabled and the model-view matrix it was drawn under.
struct Spy : TObject {
    std::vector<std::array<bool, 8>> lightsSeen;
    std::vector<std::array<GLfloat, 16>> matrices;
    float shift = 0; // translation left on the matrix, like a girder's rotation
    void draw() override {
        std::array<bool, 8> seen{};
        for (int i = 0; i < 8; ++i)
            seen[i] = glIsEnabled(GL_LIGHT0 + i);
        lightsSeen.push_back(seen);
        std::array<GLfloat, 16> m{};
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        matrices.push_back(m);
        if (shift != 0)
            glTranslatef(shift, 0, 0);
    }
};

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        testgl::makeCurrent();
        glViewport(0, 0, 320, 240);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(40.0, 320.0 / 240.0, 1.0, 750.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        for (int i = 0; i < 8; ++i)
            glDisable(GL_LIGHT0 + i);
        world.setCamera(new Camera(1, 2, 3, 1, 2, -2, 0, 1, 0));
    }
    void frame() {
        glLoadIdentity();
        world.drawFrame();
        glLoadIdentity();
    }
    Map world;
};

TEST_F(DrawTest, SwitchesAreAppliedEveryFrame) {
    world.lightingOn = false;
    world.renderMode = GL_LINE;
    world.shadeModel = GL_FLAT;
    frame();
    GLint mode[2], shade;
    glGetIntegerv(GL_POLYGON_MODE, mode);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_EQ(mode[1], GL_LINE);
    EXPECT_EQ(shade, GL_FLAT);

    world.lightingOn = true;
    world.renderMode = GL_FILL;
    world.shadeModel = GL_SMOOTH;
    frame();
    glGetIntegerv(GL_POLYGON_MODE, mode);
    glGetIntegerv(GL_SHADE_MODEL, &shade);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_EQ(shade, GL_SMOOTH);
}

TEST_F(DrawTest, TheSkyBoxIsLitByTheFirstLightAndTheRestByAllButLightZero) {
    Spy sky, box;
    Light zero(GL_LIGHT0), one(GL_LIGHT1), two(GL_LIGHT2);
    world.addLight(&zero);
    world.addLight(&one);
    world.addLight(&two);
    world.addBlueprint("skybox", &sky);
    world.addBlueprint("box", &box);
    world.addObject("skybox", "skybox", new TObject);
    world.addObject("box", "b1", new TObject);
    // Mobile objects are drawn directly each frame, so the spies see the frame.
    world.addMobileKey("skybox");
    world.addMobileKey("b1");
    world.compileDisplayLists();
    sky.lightsSeen.clear();
    box.lightsSeen.clear();
    frame();

    ASSERT_EQ(sky.lightsSeen.size(), 1u);
    ASSERT_EQ(box.lightsSeen.size(), 1u);
    EXPECT_EQ(sky.lightsSeen[0], (std::array<bool, 8>{true, false, false}));
    EXPECT_EQ(box.lightsSeen[0], (std::array<bool, 8>{false, true, true}));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + i)) << "light " << i << " left on";

    // A light switched off is neither enabled nor disabled by the pass.
    two.on = false;
    glEnable(GL_LIGHT2);
    frame();
    EXPECT_TRUE(box.lightsSeen.back()[2]);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    glDisable(GL_LIGHT2);
    frame();
    EXPECT_FALSE(box.lightsSeen.back()[2]);
    EXPECT_TRUE(box.lightsSeen.back()[1]);
}

TEST_F(DrawTest, FlashlightsSitAtTheEyeAndShineWhereTheViewerLooks) {
    Light torch(GL_LIGHT3);
    torch.setSpot(25, 0, 0, 1, 0);
    world.addLight(&torch);
    world.addFlashlight(&torch);
    frame();
    EXPECT_FLOAT_EQ(torch.lightPosition[0], 1);
    EXPECT_FLOAT_EQ(torch.lightPosition[1], 2);
    EXPECT_FLOAT_EQ(torch.lightPosition[2], 3);
    EXPECT_FLOAT_EQ(torch.lightPosition[3], 1);
    EXPECT_FLOAT_EQ(torch.spotDirection[2], -5);
    EXPECT_FLOAT_EQ(torch.spotCutoff, 25);
    // GL holds them in eye coordinates: the eye is the origin, the view is -z.
    GLfloat position[4], direction[3], cutoff;
    glGetLightfv(GL_LIGHT3, GL_POSITION, position);
    glGetLightfv(GL_LIGHT3, GL_SPOT_DIRECTION, direction);
    glGetLightfv(GL_LIGHT3, GL_SPOT_CUTOFF, &cutoff);
    EXPECT_NEAR(position[0], 0, 1e-5);
    EXPECT_NEAR(position[1], 0, 1e-5);
    EXPECT_NEAR(position[2], 0, 1e-5);
    EXPECT_NEAR(position[3], 1, 1e-6);
    EXPECT_NEAR(direction[0], 0, 1e-5);
    EXPECT_NEAR(direction[2], -5, 1e-5);
    EXPECT_FLOAT_EQ(cutoff, 25);

    // The viewer turns: the light follows.
    world.camera->setLookAt(0, 0, 0, 4, 0, 0, 0, 1, 0);
    frame();
    EXPECT_FLOAT_EQ(torch.spotDirection[0], 4);
    EXPECT_FLOAT_EQ(torch.spotDirection[2], 0);
}

TEST_F(DrawTest, EveryStaticObjectIsDrawnFromAListAndAMobileOneFromNone) {
    TObject a, b;
    world.addBlueprint("a", &a);
    world.addBlueprint("b", &b);
    world.addObject("a", "one", new TObject);
    world.addObject("a", "two", new TObject);
    world.addObject("b", "three", new TObject);
    world.addMobileKey("three");
    world.compileDisplayLists();
    std::vector<GLuint> names;
    for (auto& [bp, group] : world.displayLists)
        for (auto& [key, list] : group)
            names.push_back(list);
    ASSERT_EQ(names.size(), 2u);
    for (GLuint n : names)
        EXPECT_TRUE(glIsList(n));
    EXPECT_EQ(world.displayLists.count("b"), 0u);
}

TEST_F(DrawTest, APlacedObjectWithoutBlueprintIsReportedEveryFrame) {
    world.objects["ghost"]["boo"] = new TObject;
    testgl::StdoutCapture out;
    frame();
    frame();
    EXPECT_EQ(out.text(), "Blueprint : ghost : voor object boo is niet gekend! \n"
                          "Blueprint : ghost : voor object boo is niet gekend! \n");
}

TEST_F(DrawTest, AMobileObjectThatLeavesTheMatrixChangedDoesNotMoveTheNextOne) {
    Spy leaky;
    leaky.shift = 5;
    world.addBlueprint("leaky", &leaky);
    world.addObject("leaky", "a", new TObject);
    world.addObject("leaky", "b", new TObject);
    world.addMobileKey("a");
    world.addMobileKey("b");
    world.compileDisplayLists();
    leaky.matrices.clear();
    frame();
    ASSERT_EQ(leaky.matrices.size(), 2u);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(leaky.matrices[0][i], leaky.matrices[1][i]) << i;
}

TEST_F(DrawTest, WireframeReachesDisplayListsBecauseTheModeIsAppliedAtDrawTime) {
    struct Triangle : TObject {
        void draw() override {
            glBegin(GL_TRIANGLES);
                glVertex3f(-1, 0, 0);
                glVertex3f(1, 0, 0);
                glVertex3f(0, 1, 0);
            glEnd();
        }
    } triangle;
    world.addBlueprint("t", &triangle);
    world.addObject("t", "t1", new TObject);
    world.compileDisplayLists();
    world.renderMode = GL_LINE;
    auto polygons = testgl::capture([&] { world.drawFrame(); });
    // Feedback reports outlines as line tokens, not polygons.
    EXPECT_TRUE(polygons.empty());
    world.renderMode = GL_FILL;
    polygons = testgl::capture([&] { world.drawFrame(); });
    EXPECT_EQ(polygons.size(), 1u);
}

} // namespace
