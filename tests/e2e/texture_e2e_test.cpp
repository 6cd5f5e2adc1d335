// Textures seen in the real program's window: a map loads three images and
// places three textured quads on the ground under a camera looking down; the
// screenshot must show each quad where the map put it, in the colour its
// image gives it (an opaque image), not at all (an image whose alpha is
// below 1.0, cut away by the alpha test), or untextured (an image that is
// missing, which the console reports).
#include "tests/e2e/e2e.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Camera 24 units above the ground, looking (almost) straight down: +x is
// to the right on screen and -z is up. The near-zero z offset keeps the view
// direction off the up vector. Light 1 gives full ambient light, so a lit
// surface shows its texture's own colour.
const char* kMap = R"(<map>
  <camera><startingPos posx="0" posy="25" posz="0.001" viewx="0" viewy="1" viewz="0"/></camera>
  <textures>
    <texture key="red" file="maps/textures/red.png"/>
    <texture key="glass" file="maps/textures/glass.png"/>
    <texture key="gone" file="maps/textures/missing.png"/>
  </textures>
  <lights>
    <light nr="1" x="0" y="1" z="0" a="0" on="true"><ambient r="1" g="1" b="1" a="1"/></light>
  </lights>
  <blueprints>
    <blueprint type="quad" key="red"><params width="6" height="6"/>
      <textures><texture textureKey="red"/></textures></blueprint>
    <blueprint type="quad" key="glass"><params width="6" height="6"/>
      <textures><texture textureKey="glass"/></textures></blueprint>
    <blueprint type="quad" key="gone"><params width="6" height="6"/>
      <textures><texture textureKey="gone"/></textures></blueprint>
  </blueprints>
  <objects>
    <object key="a" blueprintKey="red"><pos x="-7" y="0" z="0"/></object>
    <object key="b" blueprintKey="glass"><pos x="0" y="0" z="0"/></object>
    <object key="c" blueprintKey="gone"><pos x="7" y="0" z="0"/></object>
  </objects>
</map>)";

constexpr double kEyeToGround = 24.0;        // the quads stand at y 1 (the world's height offset)
constexpr double kHalfFovRadians = 0.349066; // 20 degrees: half the vertical field of view

// Writes an 8 x 8 PNG of one colour, with the given alpha, into the work dir.
void writeImage(const e2e::WorkDir& dir, const QString& name, QColor colour) {
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(QDir().mkpath(dir.path + "/maps/textures"));
    ASSERT_TRUE(image.save(dir.path + "/maps/textures/" + name, "PNG"));
}

// Mean colour of a square of pixels around (cx, cy).
QColor meanAround(const QImage& image, int cx, int cy, int half = 10) {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - half; y <= cy + half; ++y)
        for (int x = cx - half; x <= cx + half; ++x) {
            QRgb p = image.pixel(x, y);
            r += qRed(p);
            g += qGreen(p);
            b += qBlue(p);
            ++n;
        }
    return QColor(int(r / n), int(g / n), int(b / n));
}

TEST(TextureE2eTest, QuadsShowTheirImagesWhereTheMapPutsThem) {
    e2e::Display display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    e2e::WorkDir dir;
    dir.write("maps/basicMap.xml", kMap);
    ASSERT_NO_FATAL_FAILURE(writeImage(dir, "red.png", QColor(255, 0, 0, 255)));
    ASSERT_NO_FATAL_FAILURE(writeImage(dir, "glass.png", QColor(0, 255, 0, 200)));

    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    const std::string out = program.output();
    EXPECT_NE(out.find("Texture inladen : red \nTexture inladen : glass \nTexture inladen : gone \n"
                       "Texture bestand kan niet gelezen worden : maps/textures/missing.png \n"),
              std::string::npos)
        << out;
    program.window();
    e2e::Program::frames(10);
    QImage shot = program.windowShot();
    ASSERT_EQ(shot.width(), 900);
    ASSERT_EQ(shot.height(), 700);

    // Ground point (x, z) to window pixel under the camera above.
    const double pxPerUnit = (shot.height() / 2.0) / (kEyeToGround * std::tan(kHalfFovRadians));
    auto at = [&](double x, double z) {
        return meanAround(shot, int(shot.width() / 2.0 + x * pxPerUnit),
                          int(shot.height() / 2.0 + z * pxPerUnit));
    };
    // Sample below the overlay text, inside each 6 x 6 quad.
    const double z = 1.5;
    QColor red = at(-7, z), glass = at(0, z), gone = at(7, z);
    QColor gapLeft = at(-3.5, z), gapRight = at(3.5, z);

    EXPECT_GT(red.red(), 220) << red.name().toStdString();
    EXPECT_LT(red.green(), 30) << red.name().toStdString();
    EXPECT_LT(red.blue(), 30) << red.name().toStdString();
    // Texels below full alpha are not drawn: the black clear colour shows.
    EXPECT_LT(glass.red() + glass.green() + glass.blue(), 30) << glass.name().toStdString();
    // A texture without an image leaves the quad untextured: lit white.
    EXPECT_GT(gone.red(), 220) << gone.name().toStdString();
    EXPECT_GT(gone.green(), 220) << gone.name().toStdString();
    EXPECT_GT(gone.blue(), 220) << gone.name().toStdString();
    // Between the quads there is nothing.
    EXPECT_LT(gapLeft.red() + gapLeft.green() + gapLeft.blue(), 30) << gapLeft.name().toStdString();
    EXPECT_LT(gapRight.red() + gapRight.green() + gapRight.blue(), 30)
        << gapRight.name().toStdString();
    // The red quad ends where the map says: 3 units either side of x = -7.
    EXPECT_GT(at(-9.5, z).red(), 220);
    EXPECT_LT(at(-10.5, z).red(), 30);
}

// The default world from the repository, as ./run.sh shows it: sky above
// the horizon, grass beside the road, and the road's asphalt in front.
TEST(TextureE2eTest, DefaultWorldStartViewShowsSkyGrassAndRoad) {
    QByteArray source = qgetenv("KOLVAR_SOURCE_DIR");
    if (source.isEmpty())
        GTEST_SKIP() << "KOLVAR_SOURCE_DIR is not set";
    e2e::Display display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    e2e::Program program(display, QString::fromLocal8Bit(source));
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    EXPECT_EQ(program.output().find("kan niet gelezen"), std::string::npos) << program.output();
    program.window();
    e2e::Program::frames(10);
    QImage shot = program.windowShot();
    ASSERT_EQ(shot.width(), 900);
    ASSERT_EQ(shot.height(), 700);

    // Window pixels worked out from the start camera (eye 2.5 above the
    // ground at z 35, looking along -z, 40 degree vertical field of view).
    QColor sky = meanAround(shot, 450, 40);      // high above the horizon
    QColor grass = meanAround(shot, 40, 470);    // ground at about (-8.5, 15)
    QColor asphalt = meanAround(shot, 370, 675); // ground at about (-1.3, 27.5)
    EXPECT_GT(sky.blue(), sky.red() + 30) << sky.name().toStdString();
    EXPECT_GT(grass.green(), grass.red() + 25) << grass.name().toStdString();
    EXPECT_GT(grass.green(), grass.blue() + 25) << grass.name().toStdString();
    EXPECT_LT(std::abs(asphalt.red() - asphalt.green()), 12) << asphalt.name().toStdString();
    EXPECT_LT(std::abs(asphalt.green() - asphalt.blue()), 12) << asphalt.name().toStdString();
    EXPECT_GT(asphalt.red(), 40) << asphalt.name().toStdString();
    EXPECT_LT(asphalt.red(), 140) << asphalt.name().toStdString();
}

} // namespace
