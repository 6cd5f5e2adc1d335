// Driving in the real program: a click on the car ahead gets the viewer in,
// Z drives it along the road towards a blue post, Tab lifts the view, Space
// gets out.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <gtest/gtest.h>

// A straight road along z on a green ground plate, the red car on the road
// heading -z (away from the viewer), and a blue post right of the road ahead.
static const char* kDriveMap = R"(<map>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="0.7" viewz="20"/></camera>
  <lights><light nr="1" x="0" y="40" z="10" a="1" on="true"><ambient r="0.5" g="0.5" b="0.5" a="1"/>
    <diffuse r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="road" subtype="flat" key="road_flat_Z"><params direction="Z"/></blueprint>
    <blueprint type="smax" key="car" file="car.3ds"><boundingBox width="1.6" height="1.2" depth="3.5"/></blueprint>
    <blueprint type="girder" key="post"><params subtype="rect" width="1" height="3" depth="1"/>
      <materials><material side="all"><ambient r="0" g="0" b="1" a="1"/><diffuse r="0" g="0" b="1" a="1"/></material></materials></blueprint>
    <blueprint type="girder" key="ground"><params subtype="rect" width="400" height="0.1" depth="400"/>
      <materials><material side="all"><ambient r="0" g="0.6" b="0" a="1"/><diffuse r="0" g="0.6" b="0" a="1"/></material></materials></blueprint></blueprints>
  <objects><object key="ground" blueprintKey="ground"><pos x="-200" y="-1.05" z="200"/></object>
    <object key="road" blueprintKey="road_flat_Z"><pos x="0" y="-1" z="-60"/><scale x="200" y="1" z="1"/></object>
    <object key="car1" blueprintKey="car" mobile="true"><pos x="0" y="-0.9" z="20"/><rot value="180"/></object>
    <object key="post" blueprintKey="post"><pos x="4" y="2" z="-4"/></object></objects></map>)";

// The mean x of the post's (blue) pixels in a window shot; -1 without any.
static double postX(const QImage& shot) {
    double sum = 0, n = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            if (qBlue(p) > 120 && qRed(p) < 60 && qGreen(p) < 60)
                sum += x, ++n;
        }
    return n ? sum / n : -1;
}

// The share of black (nothing drawn) pixels in the upper middle of a window shot.
static double sky(const QImage& shot) {
    const QImage middle =
        shot.copy(shot.width() / 3, 0, shot.width() * 2 / 3, shot.height() * 3 / 7);
    return e2e::countPixels(middle, [](int r, int g, int b) { return r + g + b < 30; }) /
           double(middle.width() * middle.height());
}

// At Qt's scale factor 2 too: a click must pick what is drawn under the
// cursor when the window has twice as many pixels as Qt's coordinates.
class DriveE2e : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Scale, DriveE2e, ::testing::Values(1, 2));

TEST_P(DriveE2e, ClickTheCarAheadDriveItTowardsAPostLiftTheViewAndGetOut) {
    const int scale = GetParam();
    e2e::Display display(1600 * scale, 900 * scale);
    testgl::TempWorkDir dir;
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/maps/models/car_red.3ds",
                            dir.path + "/car.3ds"));
    dir.write("maps/basicMap.xml", kDriveMap);
    e2e::Program program(display, dir.path, {}, {QString("QT_SCALE_FACTOR=%1").arg(scale)});
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    auto shot = [&] {
        e2e::Program::frames(10);
        const QImage s = program.shot();
        EXPECT_EQ(s.size(), QSize(900, 700) * scale);
        return s;
    };
    shot();

    // The car is drawn at the centre of the view: a click there picks it.
    program.xdo({"mousemove", "--window", program.window(), QString::number(450 * scale),
                 QString::number(350 * scale), "click", "1"});
    ASSERT_TRUE(program.waitForOutput("picking: 0\n", 5000)) << program.output();
    const double before = postX(shot());
    EXPECT_GT(before, 450 * scale) << "the post stands right of the road ahead";

    // Driving towards the post moves it outwards (right) in the picture.
    program.xdo({"keydown", "w"}); // forward on the US layout of Xvfb
    e2e::Program::frames(10);
    program.xdo({"keyup", "w"});
    EXPECT_GT(postX(shot()), before + 20 * scale) << "the car drove towards the post";

    // Tab: the view from high above has the ground where the sky was.
    EXPECT_GT(sky(shot()), 0.5);
    program.key("Tab");
    EXPECT_LT(sky(shot()), 0.05);
    // Space: back on foot at the start point, looking level.
    program.key("space");
    EXPECT_GT(sky(shot()), 0.5);
}
