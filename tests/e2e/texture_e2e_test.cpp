// Textures and models seen in the real program's window, under a camera
// looking down. Three textured quads: an opaque image shows in its colour
// where the map put it, an image partly below full alpha shows only its
// opaque texels (the alpha test), and a missing image leaves the quad
// untextured. Below them the default world's red car, on its side, beside a
// copy cut short at its end; models that are garbage or missing are reported.
// And the default world as ./run.sh shows it.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QColor>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

// Camera 24 units above the quads (y 1, the world's height offset), looking
// (almost) straight down: +x is right on screen and -z is up. Light 1 gives
// full ambient light, so a lit surface shows its texture's own colour.
static const char* kMap = R"(<map>
  <camera><startingPos posx="0" posy="25" posz="0.001" viewx="0" viewy="1" viewz="0"/></camera>
  <textures><texture key="red" file="maps/textures/red.png"/><texture key="glass" file="maps/textures/glass.png"/>
    <texture key="gone" file="maps/textures/missing.png"/></textures>
  <lights><light nr="1" x="0" y="1" z="0" a="0" on="true"><ambient r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="quad" key="red"><params width="6" height="6"/><textures><texture textureKey="red"/></textures></blueprint>
    <blueprint type="quad" key="glass"><params width="6" height="6"/><textures><texture textureKey="glass"/></textures></blueprint>
    <blueprint type="quad" key="gone"><params width="6" height="6"/><textures><texture textureKey="gone"/></textures></blueprint>
    <blueprint type="smax" key="whole" file="maps/models/whole.3ds"/><blueprint type="smax" key="cut" file="maps/models/cut.3ds"/>
    <blueprint type="smax" key="garbage" file="maps/models/garbage.3ds"/><blueprint type="smax" key="missing" file="maps/models/missing.3ds"/></blueprints>
  <objects><object key="a" blueprintKey="red"><pos x="-7" y="0" z="0"/></object>
    <object key="b" blueprintKey="glass"><pos x="0" y="0" z="0"/></object>
    <object key="c" blueprintKey="gone"><pos x="7" y="0" z="0"/></object>
    <object key="d" blueprintKey="whole"><pos x="-3" y="0" z="6"/><rot z="90"/></object>
    <object key="e" blueprintKey="cut"><pos x="3" y="0" z="6"/><rot z="90"/></object>
    <object key="f" blueprintKey="garbage" mobile="true"/><object key="g" blueprintKey="missing" mobile="true"/></objects></map>)";

// Mean colour of the 21 x 21 pixels around a point.
static QColor meanAround(const QImage& image, QPoint p) {
    long r = 0, g = 0, b = 0;
    for (int y = p.y() - 10; y <= p.y() + 10; ++y)
        for (int x = p.x() - 10; x <= p.x() + 10; ++x)
            r += qRed(image.pixel(x, y)), g += qGreen(image.pixel(x, y)),
                b += qBlue(image.pixel(x, y));
    return QColor(int(r / 441), int(g / 441), int(b / 441));
}

TEST(TextureE2e, QuadsShowTheirImagesWhereTheMapPutsThem) {
    e2e::Display display;
    testgl::TempWorkDir dir;
    dir.write("maps/basicMap.xml", kMap);
    testgl::writeImage(dir.path + "/maps/textures/red.png", 8, 8,
                       [](int, int) { return 0xffff0000; });
    // The left half of the glass is opaque, the right half below full alpha.
    testgl::writeImage(dir.path + "/maps/textures/glass.png", 8, 8,
                       [](int x, int) { return x < 4 ? 0xff00ff00 : 0xc800ff00; });
    QFile car(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/maps/models/car_red.3ds");
    ASSERT_TRUE(car.open(QIODevice::ReadOnly));
    const std::string whole = car.readAll().toStdString();
    dir.write("maps/models/whole.3ds", whole);
    // Cut inside the last object's (the wheels') face numbers: the red body is whole.
    dir.write("maps/models/cut.3ds", whole.substr(0, whole.size() - 100));
    dir.write("maps/models/garbage.3ds", whole.substr(3000, 4000));
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    const QString out = QString::fromStdString(program.output());
    EXPECT_TRUE(out.contains(
        "Texture inladen : red \nTexture inladen : glass \nTexture inladen : gone \n"));
    // Beyond the lines that begin and end a load, the damage and the missing files are reported.
    EXPECT_EQ(out.count("maps/models/whole.3ds"), 2) << out.toStdString();
    EXPECT_GE(out.count("maps/models/cut.3ds"), 3) << out.toStdString();
    EXPECT_GE(out.count("maps/models/missing.3ds") + out.count("maps/textures/missing.png"), 3);
    // The overlay lists this load's problems far down the window: H hides it.
    program.key("h");
    e2e::Program::frames(10);
    const QImage shot = program.shot();
    ASSERT_EQ(shot.size(), QSize(900, 700));

    // Ground point (x, z) to window pixel; 20 degrees is half the vertical field of view.
    const double pxPerUnit = 350 / (24 * std::tan(20 * M_PI / 180));
    auto px = [&](double x, double z) { return QPoint(450 + x * pxPerUnit, 350 + z * pxPerUnit); };
    // The red quad and its edges, the untextured (lit
    // white) quad, and the gaps between the quads.
    const std::pair<double, int> samples[] = {{-7, 0xff0000}, {-9.5, 0xff0000}, {-10.5, 0},
                                              {-3.5, 0},      {3.5, 0},         {7, 0xffffff}};
    for (auto [x, expected] : samples) {
        const QRgb c = meanAround(shot, px(x, 1.5)).rgb();
        EXPECT_LT(std::abs(qRed(c) - qRed(expected)) + std::abs(qGreen(c) - qGreen(expected)) +
                      std::abs(qBlue(c) - qBlue(expected)),
                  60)
            << "at x " << x << ": " << std::hex << c;
    }
    // The glass shows its opaque texels and nothing of the others.
    const QImage glass = shot.copy(QRect(px(-2, 0.5), px(2, 2.5)));
    const int pixels = glass.width() * glass.height();
    EXPECT_GT(e2e::countPixels(glass, [](int r, int g, int b) { return g > 200 && r + b < 60; }),
              pixels / 5)
        << "the glass quad is drawn";
    EXPECT_GT(e2e::countPixels(glass, [](int r, int g, int b) { return r + g + b < 30; }),
              pixels / 5)
        << "texels below full alpha are cut away";

    // Seen from the side, the cut car shows the red paint the whole one does,
    // and every object but the faces cut off: its body alone covers under 70%
    // of the pixels the whole car does (the cut faces cost it under 10%), and
    // without its wheels it keeps a tenth of the dark grey (bumpers and tyres).
    const QImage wholeCar = shot.copy(0, 480, 450, 220), cutCar = shot.copy(450, 480, 450, 220);
    auto red = [](int r, int g, int b) { return r > 100 && g < r / 3 && b < r / 3; };
    auto drawn = [](int r, int g, int b) { return r + g + b > 30; };
    auto grey = [](int r, int g, int b) {
        return r + g + b > 30 && r + g + b < 150 && std::abs(r - b) < 10;
    };
    const int left = e2e::countPixels(wholeCar, red);
    EXPECT_GT(left, 3000) << "the whole car shows its red paint";
    EXPECT_GT(e2e::countPixels(cutCar, red), left * 9 / 10);
    EXPECT_GT(e2e::countPixels(cutCar, drawn), e2e::countPixels(wholeCar, drawn) * 4 / 5)
        << "the cut car shows its cabin and lights";
    EXPECT_GT(e2e::countPixels(cutCar, grey), e2e::countPixels(wholeCar, grey) / 4)
        << "the cut car shows the wheel faces that were read";
}

// The default world from the repository: sky above the horizon, grass beside
// the road, and the road's asphalt in front of the start point.
TEST(TextureE2e, DefaultWorldStartViewShowsSkyGrassAndRoad) {
    e2e::Display display;
    e2e::Program program(display, qEnvironmentVariable("KOLVAR_SOURCE_DIR"));
    ASSERT_TRUE(program.waitForOutput("ResizeGl()\n")) << program.output();
    e2e::Program::frames(10);
    const QImage shot = program.shot();
    ASSERT_EQ(shot.size(), QSize(900, 700));
    const QColor sky = meanAround(shot, {450, 40});      // high above the horizon
    const QColor grass = meanAround(shot, {40, 470});    // ground at about (-8.5, 15)
    const QColor asphalt = meanAround(shot, {370, 675}); // ground at about (-1.3, 27.5)
    EXPECT_GT(sky.blue(), sky.red() + 30) << sky.name().toStdString();
    EXPECT_GT(grass.green(), std::max(grass.red(), grass.blue()) + 25)
        << grass.name().toStdString();
    EXPECT_LT(
        std::abs(asphalt.red() - asphalt.green()) + std::abs(asphalt.green() - asphalt.blue()), 20)
        << asphalt.name().toStdString();
    EXPECT_TRUE(asphalt.red() > 40 && asphalt.red() < 140) << asphalt.name().toStdString();
}
