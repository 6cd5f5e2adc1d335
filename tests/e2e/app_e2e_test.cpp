// The real program in a real window: start-up lines and window size, a
// red girder in view and wireframe mode, the world keys on the console,
// Escape's exit status; and a start without any map file.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <gtest/gtest.h>

// The viewer stands at z 35 looking along -z at a red box that spans x -5..5,
// y -1..9 (placed objects go 1 up) and z 8..10. Light 1 gives full ambient
// light, so the sides, which have no normals, show their ambient colour.
static const char* kMainMap = R"(<map><includes><include file="lights.xml"/></includes>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5" viewz="30"/></camera>
  <blueprints><blueprint type="girder" key="red"><params subtype="rect" width="10" height="10" depth="2"/>
    <materials><material side="all"><ambient r="1" g="0" b="0" a="1"/></material></materials></blueprint></blueprints>
  <objects><object key="wall" blueprintKey="red"><pos x="-5" y="8" z="10"/></object></objects></map>)";
static const char* kLightsMap = R"(<map><lights>
  <light nr="0" x="0" y="50" z="0" a="1" on="true"><diffuse r="1" g="1" b="1" a="1"/></light>
  <light nr="1" x="0" y="5" z="40" a="1" on="true"><ambient r="1" g="1" b="1" a="1"/></light>
  <light nr="2" on="true" flashlight="yes"><spot radius="30" x="0" y="0" z="-1" a="0"/></light>
</lights></map>)";

static bool red(int r, int g, int b) {
    return r > 150 && g < 60 && b < 60;
}

// Window shots until one satisfies done (a loaded machine is slow to show
// the first frames); the last shot.
template <typename Done> static QImage shotWhen(e2e::Program& program, Done done) {
    QImage shot;
    for (int attempt = 0; attempt < 40 && !(shot.size() == QSize(900, 700) && done(shot));
         ++attempt) {
        e2e::Program::frames(5);
        shot = program.shot();
    }
    return shot;
}

TEST(ProgramE2e, StartsShowsTheSceneAnswersItsKeysAndEscapeEndsWithStatusOne) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", kMainMap);
    dir.write("maps/lights.xml", kLightsMap);
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    const std::string out = program.output();
    EXPECT_EQ(out.find("InitializeGl() \nWe gaan de map inladen : \n"), 0u) << out;
    EXPECT_NE(out.find("We hebben gedaan de map in te laden \n"), std::string::npos) << out;

    // The girder fills the middle in red; the overlay's text is bright.
    const QImage filled =
        shotWhen(program, [](const QImage& s) { return e2e::countPixels(s, red) > 63000; });
    ASSERT_EQ(filled.size(), QSize(900, 700));
    const int filledRed = e2e::countPixels(filled, red);
    EXPECT_GT(filledRed, 63000) << "a tenth of the window";
    EXPECT_EQ(e2e::countPixels(filled.copy(400, 300, 100, 100), red), 10000) << "the middle";
    EXPECT_GT(e2e::countPixels(filled.copy(0, 0, 260, 300),
                               [](int r, int g, int b) { return r + g + b > 300; }),
              400)
        << "the overlay's text";

    program.key("m"); // wireframe leaves the outline only
    const QImage lines = shotWhen(
        program, [&](const QImage& s) { return e2e::countPixels(s, red) < filledRed / 4; });
    EXPECT_GT(e2e::countPixels(lines, red), 0) << "the outline is drawn";
    EXPECT_LT(e2e::countPixels(lines, red), filledRed / 4);

    for (const char* key : {"l", "L", "1", "8", "2"}) // 8 is not a light key: it prints nothing
        program.key(key);
    EXPECT_TRUE(
        program.waitForOutput("L gepressed 0\nL gepressed 1\n1 gepressed 0\n2 gepressed 0\n", 5000))
        << program.output();
    program.key("Escape");
    EXPECT_EQ(program.waitForExit(), 1);

    // Without any map file the program starts and runs all the same.
    testgl::TempWorkDir empty;
    e2e::Program bare(display, empty.path);
    ASSERT_TRUE(bare.waitForOutput("We hebben gedaan de map in te laden")) << bare.output();
    bare.key("w");
    bare.key("space");
    e2e::Program::frames(4);
    EXPECT_TRUE(bare.running());
}
