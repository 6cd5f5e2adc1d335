// A red girder in front of the viewer, seen in the running program: it fills
// the middle of the window in red, and wireframe mode (key M) leaves only its
// outline.
#include "tests/e2e/e2e.h"

#include <gtest/gtest.h>

namespace {

// The viewer stands at z 35 looking towards -z; the box spans x -5..5,
// y -1..9 (the world lifts placed objects by 1) and z 8..10. The light on
// GL_LIGHT1 gives full ambient light, so the sides, which have no normals,
// show their ambient material colour.
const char* kGirderMap = R"(<map>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5" viewz="30"/></camera>
  <textures/>
  <lights>
    <light nr="1" x="0" y="5" z="40" a="1" on="true">
      <ambient r="1" g="1" b="1" a="1"/>
      <diffuse r="0" g="0" b="0" a="1"/>
      <specular r="0" g="0" b="0" a="1"/>
    </light>
  </lights>
  <blueprints>
    <blueprint type="girder" key="redGirder">
      <params subtype="rect" width="10" height="10" depth="2"/>
      <materials>
        <material side="all">
          <ambient r="1" g="0" b="0" a="1"/>
          <diffuse r="1" g="0" b="0" a="1"/>
          <specular r="0" g="0" b="0" a="1"/>
        </material>
      </materials>
    </blueprint>
  </blueprints>
  <objects>
    <object key="wall" blueprintKey="redGirder"><pos x="-5" y="8" z="10"/></object>
  </objects>
</map>)";

bool red(int r, int g, int b) {
    return r > 150 && g < 60 && b < 60;
}

// Takes window shots until one satisfies done (frames are 50 ms apart, and a
// loaded machine may be slower to show the first ones); returns the last shot.
template <typename Done> QImage shotWhen(e2e::Program& program, Done done) {
    QImage shot;
    for (int attempt = 0; attempt < 40; ++attempt) {
        shot = program.windowShot();
        if (!shot.isNull() && done(shot))
            break;
        e2e::Program::frames(5);
    }
    return shot;
}

TEST(GirderE2e, ARedGirderShowsRedAndWireframeLeavesItsOutline) {
    e2e::Display display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    e2e::WorkDir dir;
    dir.write("maps/basicMap.xml", kGirderMap);
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    ASSERT_FALSE(program.window().isEmpty());

    const QImage filled = shotWhen(program, [](const QImage& shot) {
        return e2e::countPixels(shot, red) > shot.width() * shot.height() / 10;
    });
    ASSERT_FALSE(filled.isNull());
    const int total = filled.width() * filled.height();
    const int filledRed = e2e::countPixels(filled, red);
    EXPECT_GT(filledRed, total / 10) << "red pixels " << filledRed << " of " << total;
    // The middle of the window is the girder's front.
    const QRgb middle = filled.pixel(filled.width() / 2, filled.height() / 2);
    EXPECT_TRUE(red(qRed(middle), qGreen(middle), qBlue(middle)));

    program.key("m");
    const QImage lines = shotWhen(
        program, [&](const QImage& shot) { return e2e::countPixels(shot, red) < filledRed / 4; });
    ASSERT_FALSE(lines.isNull());
    const int lineRed = e2e::countPixels(lines, red);
    EXPECT_GT(lineRed, 0) << "the outline is still drawn in red";
    EXPECT_LT(lineRed, filledRed / 4);
    const QRgb middleNow = lines.pixel(lines.width() / 2, lines.height() / 2);
    EXPECT_FALSE(red(qRed(middleNow), qGreen(middleNow), qBlue(middleNow)));

    program.key("Escape");
    EXPECT_EQ(program.waitForExit(), 1);
}

} // namespace
