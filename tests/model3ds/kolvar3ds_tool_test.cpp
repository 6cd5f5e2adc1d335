// The map authors' inspector, build/kolvar-3ds, run as a program: what it
// prints for a whole and a damaged file, and its exit status.
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun inspect(const QStringList& files) {
    QProcess tool;
    tool.start(QString::fromLocal8Bit(qgetenv("KOLVAR_BINARY_DIR")) + "/kolvar-3ds", files);
    if (!tool.waitForFinished(20000))
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput().toStdString()};
}

TEST(Kolvar3dsTool, ListsObjectsGroupsAndMaterialsOfAWholeFile) {
    testgl::TempWorkDir dir;
    dir.write("whole.3ds", fixtures3ds::twoObjects());
    const ToolRun run = inspect({"whole.3ds"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\"left\": 4 vertices, 2 faces, 4 mapping coordinates, 2 groups"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("group \"blue\" (material 1): 2 face numbers, 2 faces drawn"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("1 \"blue\": colour 0 0 255, texture map \"BLUE.PNG\""),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("0 problems"), std::string::npos) << run.out;
}

TEST(Kolvar3dsTool, NamesTheProblemsAndFailsOnADamagedOrMissingFile) {
    testgl::TempWorkDir dir;
    const std::string whole = fixtures3ds::twoObjects();
    dir.write("whole.3ds", whole);
    dir.write("cut.3ds", whole.substr(0, whole.size() - 5));
    const ToolRun damaged = inspect({"whole.3ds", "cut.3ds"});
    EXPECT_EQ(damaged.status, 1) << damaged.out;
    EXPECT_NE(damaged.out.find("reaches past the end of the file"), std::string::npos)
        << damaged.out;
    const ToolRun missing = inspect({"cut.3ds", "none.3ds"});
    EXPECT_EQ(missing.status, 2) << missing.out;
    EXPECT_NE(missing.out.find("none.3ds\n  cannot be opened"), std::string::npos) << missing.out;
}

} // namespace
