// Driving in the real program: a click on the car ahead gets the viewer in,
// Z drives it along the road, Tab changes the view, Space gets out.
#include "tests/e2e/e2e.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A straight road along z, the red car on it heading -z (away from the
// viewer), and red posts beside the road that show the car moving.
std::string driveMap() {
    std::string posts;
    for (int i = 0; i < 8; ++i)
        posts += "<object key=\"post" + std::to_string(i) +
                 "\" blueprintKey=\"post\"><pos x=\"6\" y=\"2\" z=\"" + std::to_string(20 - 12 * i) +
                 "\"/></object>";
    return R"(<map>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="0.7" viewz="20"/></camera>
  <lights>
    <light nr="1" x="0" y="40" z="10" a="1" on="true">
      <ambient r="0.5" g="0.5" b="0.5" a="1"/><diffuse r="1" g="1" b="1" a="1"/>
    </light>
  </lights>
  <blueprints>
    <blueprint type="road" subtype="flat" key="road_flat_Z"><params direction="Z"/></blueprint>
    <blueprint type="smax" key="car" file="car.3ds">
      <boundingBox width="1.6" height="1.2" depth="3.5"/>
    </blueprint>
    <blueprint type="girder" key="post">
      <params subtype="rect" width="1" height="3" depth="1"/>
      <materials><material side="all"><diffuse r="1" g="0" b="0" a="1"/>
        <ambient r="1" g="0" b="0" a="1"/></material></materials>
    </blueprint>
  </blueprints>
  <objects>
    <object key="road" blueprintKey="road_flat_Z"><pos x="0" y="-1" z="-60"/>
      <scale x="200" y="1" z="1"/></object>
    <object key="car1" blueprintKey="car" mobile="true"><pos x="0" y="-0.9" z="20"/>
      <rot value="180"/></object>)" +
           posts + R"(
  </objects>
</map>)";
}

// Share of pixels that differ clearly between two pictures of one size.
double changed(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 0;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q)) > 60)
                ++n;
        }
    return double(n) / (a.width() * a.height());
}

// The scene below the overlay, and the overlay's corner on its own, in the
// physical pixels of a window scaled by s.
QImage scene(const QImage& window, int s) {
    return window.copy(300 * s, 100 * s, 600 * s, 600 * s);
}
QImage overlay(const QImage& window, int s) {
    return window.copy(0, 0, 260 * s, 300 * s);
}

// The parameter is Qt's scale factor, as a high-DPI desktop sets it.
class DriveE2e : public ::testing::TestWithParam<int> {};

TEST_P(DriveE2e, ClickTheCarAheadDriveItChangeTheViewAndGetOut) {
    const int s = GetParam();
    e2e::Display display(1600 * s, 900 * s);
    ASSERT_TRUE(display.ok());
    e2e::WorkDir dir;
    QFile car(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/maps/models/car_red.3ds");
    ASSERT_TRUE(car.open(QIODevice::ReadOnly)) << "the default world's car model";
    dir.write("car.3ds", car.readAll().toStdString());
    dir.write("maps/basicMap.xml", driveMap());

    e2e::Program program(display, dir.path, {}, {QString("QT_SCALE_FACTOR=%1").arg(s)});
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden"));
    program.window();
    e2e::Program::frames(10);
    const QImage onFoot = program.windowShot();

    // The car is drawn at the centre of the view: a click there picks it.
    program.click(450 * s, 350 * s);
    ASSERT_TRUE(program.waitForOutput("picking: 0\n", 5000)) << program.output();
    e2e::Program::frames(6);
    const QImage inCar = program.windowShot();
    EXPECT_GT(changed(overlay(onFoot, s), overlay(inCar, s)), 0.01)
        << "the help shows the car keys";

    program.keyDown("z");
    e2e::Program::frames(20);
    const QImage driving = program.windowShot();
    program.keyUp("z");
    EXPECT_GT(changed(scene(inCar, s), scene(driving, s)), 0.01)
        << "the posts pass by as the car drives";
    e2e::Program::frames(10);

    const QImage behind = program.windowShot();
    program.key("Tab");
    e2e::Program::frames(6);
    const QImage high = program.windowShot();
    EXPECT_GT(changed(scene(behind, s), scene(high, s)), 0.05) << "Tab lifts the view";

    program.key("space");
    e2e::Program::frames(6);
    const QImage out = program.windowShot();
    EXPECT_LT(changed(overlay(onFoot, s), overlay(out, s)), 0.005)
        << "the help shows the player keys";
    EXPECT_GT(changed(overlay(inCar, s), overlay(out, s)), 0.01);
    EXPECT_TRUE(program.running());
}

INSTANTIATE_TEST_SUITE_P(ScaleFactor, DriveE2e, ::testing::Values(1, 2));

} // namespace
