// Placing things from the window: G prints the viewer's place, H hides the
// overlay, the Up arrow walks like Z, Space goes back to the map's own start
// point (not the default (0, 2.5, 35)), and a right click prints the object
// under the cursor with its place in the map, as a ready element.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <gtest/gtest.h>

// The viewer stands at (10, 2.5, 20) looking along -z at a red box that
// spans x 8..12, y 1..5 (placed objects go 1 up) and z -8..-4.
static const char* kPlacingMap = R"(<map>
  <camera><startingPos posx="10" posy="2.5" posz="20" viewx="10" viewy="2.5" viewz="15"/></camera>
  <lights><light nr="0"/><light nr="1" x="0" y="5" z="40" a="1" on="true"><ambient r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="girder" key="red"><params subtype="rect" width="4" height="4" depth="4"/>
    <materials><material side="all"><ambient r="1" g="0" b="0" a="1"/></material></materials></blueprint></blueprints>
  <objects>
    <object key="box" blueprintKey="red"><pos x="8" y="4" z="-4"/><rot value="0"/></object>
  </objects></map>)";

TEST(ReadoutE2e, GHArrowSpaceAndRightClickInAMapWithItsOwnStart) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", kPlacingMap);
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    // A drawn frame (the red box in the middle), waited for on a loaded machine.
    auto frame = [&] {
        QImage shot;
        for (int attempt = 0; attempt < 60; ++attempt) {
            e2e::Program::frames(5);
            shot = program.shot();
            if (shot.size() == QSize(900, 700) &&
                e2e::countPixels(shot.copy(400, 300, 100, 100), [](int r, int g, int b) {
                    return r > 150 && g < 60 && b < 60;
                }) == 10000)
                break;
        }
        return shot;
    };
    ASSERT_FALSE(frame().isNull());
    // The n-th place G printed, waited for.
    auto place = [&](int n) {
        program.key("g");
        std::string out;
        for (int i = 0; i < 200 && out.empty(); ++i) {
            program.waitForOutput("\x01", 50); // reads what came meanwhile, for 50 ms
            std::size_t at = 0;
            for (int k = 0; k < n && at != std::string::npos; ++k)
                at = program.output().find("<startingPos", at + 1);
            if (at != std::string::npos)
                out = program.output().substr(at, program.output().find('\n', at) + 1 - at);
        }
        return out;
    };
    const std::string start = "<startingPos posx=\"10\" posy=\"2.5\" posz=\"20\" viewx=\"10\" "
                              "viewy=\"2.5\" viewz=\"15\"/>\n";
    EXPECT_EQ(place(1), start) << program.output();

    // H: the overlay's bright text in the top-left corner goes, and comes back.
    auto text = [&] {
        return e2e::countPixels(frame().copy(0, 0, 260, 300),
                                [](int r, int g, int b) { return r + g + b > 300; });
    };
    EXPECT_GT(text(), 400);
    program.key("h");
    EXPECT_EQ(text(), 0);
    program.key("h");
    EXPECT_GT(text(), 400);

    // Up walks forward (along -z) like Z; Space goes back to this map's start.
    program.xdo({"keydown", "Up"});
    e2e::Program::frames(10);
    program.xdo({"keyup", "Up"});
    const std::string walked = place(2);
    ASSERT_EQ(walked.rfind("<startingPos posx=\"10\" posy=\"2.5\" posz=\"", 0), 0u) << walked;
    EXPECT_LT(std::stod(walked.substr(walked.find("posz=\"") + 6)), 17.0) << walked;
    program.key("space");
    EXPECT_EQ(place(3), start);

    // The static box under the cursor: where it is defined, and where it stands.
    program.key("t"); // mouse look off: moving the cursor to the box does not turn the view
    program.xdo({"mousemove", "--window", program.window(), "450", "350", "click", "3"});
    EXPECT_TRUE(program.waitForOutput("maps/basicMap.xml:7:", 5000)) << program.output();
    EXPECT_TRUE(program.waitForOutput(": object \"box\" van blueprint \"red\" staat nu hier:\n"
                                      "<object key=\"box\" blueprintKey=\"red\"><pos x=\"8\" "
                                      "y=\"4\" z=\"-4\"/></object>\n",
                                      5000))
        << program.output();
}
