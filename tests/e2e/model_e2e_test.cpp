// 3DS models in the real program: the default world's red car beside a copy
// cut short at its end, and blueprints whose model is garbage or missing.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The camera 9 m in front of two cars, the whole one on the left.
const char* kModelMap = R"(<map>
  <camera><startingPos posx="0" posy="2" posz="9" viewx="0" viewy="0.6" viewz="0"/></camera>
  <lights><light nr="1" x="0" y="20" z="10" a="1" on="true"><ambient r="0.4" g="0.4" b="0.4" a="1"/>
    <diffuse r="1" g="1" b="1" a="1"/></light></lights>
  <blueprints><blueprint type="smax" key="whole" file="maps/models/whole.3ds"/>
    <blueprint type="smax" key="cut" file="maps/models/cut.3ds"/>
    <blueprint type="smax" key="garbage" file="maps/models/garbage.3ds"/>
    <blueprint type="smax" key="missing" file="maps/models/missing.3ds"/></blueprints>
  <objects><object key="a" blueprintKey="whole" mobile="true"><pos x="-1.8" y="-1" z="0"/></object>
    <object key="b" blueprintKey="cut" mobile="true"><pos x="1.8" y="-1" z="0"/></object>
    <object key="c" blueprintKey="garbage"><pos x="0" y="0" z="-20"/></object>
    <object key="d" blueprintKey="missing" mobile="true"><pos x="0" y="0" z="-20"/></object></objects></map>)";

bool isRed(int r, int g, int b) {
    return r > 100 && g < r / 3 && b < r / 3;
}

TEST(ModelE2e, ACutModelShowsWhatIsReadableAndBadModelsLeaveTheProgramRunning) {
    e2e::Display display;
    testgl::TempWorkDir dir(false);
    QFile car(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/maps/models/car_red.3ds");
    ASSERT_TRUE(car.open(QIODevice::ReadOnly));
    const std::string whole = car.readAll().toStdString();
    dir.write("maps/models/whole.3ds", whole);
    // Cut inside the last object's (the wheels') face numbers: the red body is whole.
    dir.write("maps/models/cut.3ds", whole.substr(0, whole.size() - 100));
    std::string garbage(4096, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919u) >> 3);
    dir.write("maps/models/garbage.3ds", garbage);
    dir.write("maps/basicMap.xml", kModelMap);

    e2e::Program program(display, dir.path);
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    const std::string out = program.output();
    EXPECT_NE(out.find("Model_3DS : maps/models/whole.3ds inladen is gedaan \n"), std::string::npos)
        << out;
    // Beyond the lines that begin and end a load, the damage and the missing file are reported.
    auto mentions = [&](const std::string& file) {
        int n = 0;
        for (auto at = out.find(file); at != std::string::npos; at = out.find(file, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(mentions("maps/models/whole.3ds"), 2) << out;
    EXPECT_GE(mentions("maps/models/cut.3ds"), 3) << out;
    EXPECT_GE(mentions("maps/models/missing.3ds"), 2) << out;
    e2e::Program::frames(20);
    const QImage shot = program.shot();
    ASSERT_EQ(shot.size(), QSize(900, 700));
    const int left = e2e::countPixels(shot.copy(0, 0, 450, 700), isRed);
    const int right = e2e::countPixels(shot.copy(450, 0, 450, 700), isRed);
    EXPECT_GT(left, 3000) << "the whole car shows its red paint";
    EXPECT_GT(right, left * 9 / 10) << "the cut car keeps its readable red parts";
}

} // namespace
