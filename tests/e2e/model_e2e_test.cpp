// 3DS models in the real program: a car in view shows on screen, and a map
// whose model file is damaged still runs and draws.
#include "model3ds/writer3ds.h"
#include "tests/e2e/e2e.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A red box standing for a car: 1.6 wide, 1.2 high, 3.5 long, written in the
// file's axes (z up), one material group.
std::string redCar() {
    Writer3DS::Mesh mesh;
    mesh.name = "body";
    const float x = 0.8f, y = 1.75f, z = 1.2f;
    mesh.vertices = {-x, -y, 0, x, -y, 0, x, y, 0, -x, y, 0, -x, -y, z, x, -y, z, x, y, z, -x, y, z};
    mesh.faces = {4, 5, 6, 4, 6, 7, 0, 2, 1, 0, 3, 2, 0, 1, 5, 0, 5, 4,
                  1, 2, 6, 1, 6, 5, 2, 3, 7, 2, 7, 6, 3, 0, 4, 3, 4, 7};
    Writer3DS::Mesh::Group paint{"paint", {}};
    for (std::uint16_t f = 0; f < 12; ++f)
        paint.faces.push_back(f);
    mesh.groups = {paint};
    Writer3DS w;
    w.beginFile();
                w.material("paint", 0.9f, 0.05f, 0.05f);
                w.object(mesh);
        w.end();
    w.end();
    return w.bytes();
}

// A map with one light (the world lights objects with every light but GL_LIGHT0), the camera 8 m behind the car looking at it.
std::string mapWith(const std::string& modelFile) {
    return R"(<map>
  <camera><startingPos posx="0" posy="2" posz="8" viewx="0" viewy="0.6" viewz="0"/></camera>
  <lights>
    <light nr="1" x="0" y="20" z="10" a="1" on="true">
      <ambient r="0.4" g="0.4" b="0.4" a="1"/><diffuse r="1" g="1" b="1" a="1"/>
    </light>
  </lights>
  <blueprints>
    <blueprint type="smax" key="car" file=")" +
           modelFile + R"("><boundingBox width="1.6" height="1.2" depth="3.5"/></blueprint>
  </blueprints>
  <objects>
    <object key="car1" blueprintKey="car" mobile="true">
      <pos x="0" y="0" z="0"/><rot value="0"/><scale value="1"/>
    </object>
  </objects>
</map>)";
}

bool isRed(int r, int g, int b) { return r > 100 && g < r / 3 && b < r / 3; }

class ModelProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display.ok()) << "Xvfb did not start"; }
    e2e::Display display;
    e2e::WorkDir dir;
};

TEST_F(ModelProgramTest, CarModelInViewShowsOnScreen) {
    dir.write("maps/models/car.3ds", redCar());
    dir.write("maps/basicMap.xml", mapWith("maps/models/car.3ds"));
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    const std::string out = program.output();
    EXPECT_NE(out.find("Model_3DS : maps/models/car.3ds inladen is begonnen \n"
                       "Model_3DS : maps/models/car.3ds inladen is gedaan \n"),
              std::string::npos)
        << out;
    program.window();
    e2e::Program::frames(6);
    const QImage shot = program.windowShot();
    ASSERT_FALSE(shot.isNull());
    // The car fills a good part of the middle of the view.
    const QImage middle = shot.copy(shot.width() / 4, shot.height() / 4, shot.width() / 2,
                                    shot.height() / 2);
    EXPECT_GT(e2e::countPixels(middle, isRed), middle.width() * middle.height() / 20);
}

TEST_F(ModelProgramTest, DamagedModelStillRunsAndDrawsWhatIsReadable) {
    const std::string whole = redCar();
    // Cut inside the group's face numbers: the mesh is kept, part of the group too.
    dir.write("maps/models/car.3ds", whole.substr(0, whole.size() - 6));
    dir.write("maps/basicMap.xml", mapWith("maps/models/car.3ds"));
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    EXPECT_NE(program.output().find("Model_3DS : maps/models/car.3ds is beschadigd, enkel de "
                                    "leesbare delen worden getoond \n"),
              std::string::npos)
        << program.output();
    program.window();
    e2e::Program::frames(60); // 3 seconds
    EXPECT_TRUE(program.running());
    const QImage shot = program.windowShot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(e2e::countPixels(shot, isRed), 500);
}

TEST_F(ModelProgramTest, GarbageAndMissingModelsStillRun) {
    std::string garbage(4096, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919u) >> 3);
    dir.write("maps/models/garbage.3ds", garbage);
    dir.write("maps/basicMap.xml", R"(<map>
  <blueprints>
    <blueprint type="smax" key="a" file="maps/models/garbage.3ds"/>
    <blueprint type="smax" key="b" file="maps/models/missing.3ds"/>
  </blueprints>
  <objects>
    <object key="a1" blueprintKey="a"><pos x="0" y="0" z="0"/></object>
    <object key="b1" blueprintKey="b" mobile="true"><pos x="0" y="0" z="0"/></object>
  </objects>
</map>)");
    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    EXPECT_NE(program.output().find("Model_3DS : maps/models/missing.3ds kan niet geopend worden \n"),
              std::string::npos)
        << program.output();
    program.window();
    e2e::Program::frames(60);
    EXPECT_TRUE(program.running());
}

} // namespace
