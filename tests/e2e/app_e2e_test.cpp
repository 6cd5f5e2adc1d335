// The real program in a real window: start-up lines, window placement, world
// keys on the console, a picture on screen, and Escape's exit status.
#include "tests/e2e/e2e.h"

#include <gtest/gtest.h>

namespace {

const char* kMainMap = R"(<map>
  <includes><include file="lights.xml"/></includes>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5" viewz="30"/></camera>
</map>)";

const char* kLightsMap = R"(<map>
  <lights>
    <light nr="0" x="0" y="50" z="0" a="1" on="true"><diffuse r="1" g="1" b="1" a="1"/></light>
    <light nr="1" x="10" y="20" z="0" a="1" on="true"><diffuse r="1" g="1" b="1" a="1"/></light>
    <light nr="2" on="true" flashlight="yes"><spot radius="30" x="0" y="0" z="-1" a="0"/></light>
  </lights>
</map>)";

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        dir.write("maps/basicMap.xml", kMainMap);
        dir.write("maps/lights.xml", kLightsMap);
    }
    e2e::Display display;
    e2e::WorkDir dir;
};

TEST_F(ProgramTest, StartsWithItsWindowAndConsoleLinesInOrder) {
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    const std::string out = program.output();
    const auto init = out.find("InitializeGl() \n");
    const auto loading = out.find("We gaan de map inladen : \n");
    const auto loaded = out.find("We hebben gedaan de map in te laden \n");
    ASSERT_NE(init, std::string::npos) << out;
    ASSERT_NE(loading, std::string::npos) << out;
    ASSERT_NE(loaded, std::string::npos) << out;
    EXPECT_LT(init, loading);
    EXPECT_LT(loading, loaded);
    EXPECT_NE(out.find("ResizeGl()\n"), std::string::npos);

    QString id = program.window();
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(e2e::run(display, "xdotool", {"getwindowname", id}).trimmed(), "Kolvar");
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(program.geometry(x, y, w, h));
    EXPECT_EQ(w, 900);
    EXPECT_EQ(h, 700);
    EXPECT_EQ(x, 500); // no window manager: the window's corner is the frame's
    EXPECT_EQ(y, 10);
}

TEST_F(ProgramTest, WorldKeysPrintTheirLinesAndEscapeEndsWithStatusOne) {
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden"));
    program.window();
    e2e::Program::frames(4);

    program.key("l");
    ASSERT_TRUE(program.waitForOutput("L gepressed 0\n", 5000)) << program.output();
    program.key("L");
    ASSERT_TRUE(program.waitForOutput("L gepressed 1\n", 5000)) << program.output();
    program.key("1");
    ASSERT_TRUE(program.waitForOutput("1 gepressed 0\n", 5000)) << program.output();
    program.key("8"); // no light on GL_LIGHT0 + 8: the world ignores it
    program.key("2");
    ASSERT_TRUE(program.waitForOutput("2 gepressed 0\n", 5000)) << program.output();
    EXPECT_EQ(program.output().find("8 gepressed"), std::string::npos);

    // The overlay text, at least, is on screen.
    e2e::Program::frames(4);
    QImage shot = program.windowShot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(e2e::countPixels(shot, [](int r, int g, int b) { return r + g + b > 300; }), 200);

    program.key("Escape");
    EXPECT_EQ(program.waitForExit(), 1);
}

TEST_F(ProgramTest, RunsWithoutAnyMapFile) {
    e2e::WorkDir empty;
    e2e::Program program(display, empty.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden", 20000));
    const std::string out = program.output();
    EXPECT_NE(out.find("Den fileerror is : 5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Geen camera in de map, standaardcamera op (0, 2.5, 35) \n"),
              std::string::npos)
        << out;
    e2e::Program::frames(6);
    EXPECT_TRUE(program.running());
    program.key("z");
    program.key("space");
    e2e::Program::frames(4);
    EXPECT_TRUE(program.running());
}

} // namespace
