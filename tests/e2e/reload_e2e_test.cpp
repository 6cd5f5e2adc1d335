// A world that follows its files, in the real program's window: the viewer
// walks up to a small textured ground quad; the image is saved anew (in
// place) and the quad changes colour with the viewer where they stood; a
// broken save of the map is named once and the last world stays; a fixed
// save made by renaming a new file over the map brings the world back.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// Eye 3 units up at z 40, looking along -z and a little down; the 8 x 8
// quad lies around the origin. Full ambient light: a lit surface shows its
// texture's own colour.
std::string map(const char* image) {
    return std::string(R"(<map>
  <camera><startingPos posx="0" posy="3" posz="40" viewx="0" viewy="2" viewz="35"/></camera>
  <textures><texture key="ground" file="maps/textures/)") +
           image + R"("/></textures>
  <lights><light nr="1" x="0" y="1" z="0" a="0" on="true"><ambient r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="quad" key="ground"><params width="8" height="8"/><textures><texture textureKey="ground"/></textures></blueprint></blueprints>
  <objects><object key="g" blueprintKey="ground"/></objects></map>)";
}

int countOf(const QImage& image, int red, int green, int blue) {
    return e2e::countPixels(image, [&](int r, int g, int b) {
        return std::abs(r - red) < 40 && std::abs(g - green) < 40 && std::abs(b - blue) < 40;
    });
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(ReloadE2e, SavesShowInTheWindowWithTheViewerInPlaceAndABrokenSaveLosesNothing) {
    e2e::Display display;
    testgl::TempWorkDir dir;
    const QString red = dir.path + "/maps/textures/red.png";
    testgl::writeImage(red, 4, 4, [](int, int) { return 0xffff0000u; });
    testgl::writeImage(dir.path + "/maps/textures/green.png", 4, 4,
                       [](int, int) { return 0xff00ff00u; });
    dir.write("maps/basicMap.xml", map("red.png"));
    e2e::Program kolvar(display, dir.path);
    const std::string loaded = "We hebben gedaan de map in te laden";
    ASSERT_TRUE(kolvar.waitForOutput(loaded));
    ASSERT_FALSE(kolvar.window().isEmpty());
    e2e::Program::frames(4);
    const int farAway = countOf(kolvar.shot(), 255, 0, 0);

    // Walk up to the quad: it fills much more of the window.
    kolvar.xdo({"keydown", "w"}); // forward on the US layout of Xvfb
    e2e::Program::frames(20);
    kolvar.xdo({"keyup", "w"});
    e2e::Program::frames(4);
    const int near = countOf(kolvar.shot(), 255, 0, 0);
    ASSERT_GT(near, 2 * farAway + 1000) << "the walk did not come closer";

    // The image saved anew in place: the quad turns blue where it was red.
    testgl::writeImage(red, 4, 4, [](int, int) { return 0xff0000ffu; });
    ASSERT_TRUE(kolvar.waitForCount(loaded, 2)) << kolvar.output();
    e2e::Program::frames(6);
    const QImage reloaded = kolvar.shot();
    EXPECT_EQ(countOf(reloaded, 255, 0, 0), 0);
    const int blue = countOf(reloaded, 0, 0, 255);
    EXPECT_NEAR(blue, near, near / 10) << "the viewer moved: " << blue << " against " << near;

    // A broken save: named once, and the last world stays on screen.
    dir.write("maps/basicMap.xml", "<map><camera></map>");
    ASSERT_TRUE(kolvar.waitForCount(loaded, 3)) << kolvar.output();
    e2e::Program::frames(6);
    const std::string console = kolvar.output();
    EXPECT_EQ(occurrences(console, "maps/basicMap.xml:1:"), 1) << console;
    EXPECT_EQ(occurrences(console, "XMLHANDLER LOAD maps/basicMap.xml"), 1) << console;
    // The overlay has two rows more now, over the top of the picture.
    EXPECT_NEAR(countOf(kolvar.shot(), 0, 0, 255), blue, blue / 10);

    // Fixed by a save that writes a new file and renames it over the map.
    dir.write("maps/basicMap.xml.new", map("green.png"));
    ASSERT_EQ(std::rename(QFile::encodeName(dir.path + "/maps/basicMap.xml.new").constData(),
                          QFile::encodeName(dir.path + "/maps/basicMap.xml").constData()),
              0);
    ASSERT_TRUE(kolvar.waitForCount(loaded, 4)) << kolvar.output();
    e2e::Program::frames(6);
    EXPECT_NEAR(countOf(kolvar.shot(), 0, 255, 0), blue, blue / 10) << kolvar.output();
}
