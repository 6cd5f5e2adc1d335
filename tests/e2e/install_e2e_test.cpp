// A real install into a temporary prefix: the files a desktop expects, and
// the installed program, started from an empty folder, showing the
// installed default world and saving its screenshot in that folder.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

// Runs a program to its end; its exit code and, in out, its standard output.
static int run(const QString& program, const QStringList& arguments, QString& out) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        return -1;
    out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(InstallE2e, TheInstalledProgramOpensTheDefaultWorldFromAnEmptyFolder) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    const QString prefix = dir.path + "/prefix";
    QString out;
    ASSERT_EQ(run(qEnvironmentVariable("KOLVAR_CMAKE"),
                  {"--install", qEnvironmentVariable("KOLVAR_BINARY_DIR"), "--prefix", prefix},
                  out),
              0)
        << out.toStdString();
    for (const char* file :
         {"bin/kolvar", "bin/kolvar-3ds", "bin/kolvar-make-world", "share/kolvar/maps/basicMap.xml",
          "share/kolvar/maps/models/car_red.3ds", "share/kolvar/maps/textures/grass.png",
          "share/icons/hicolor/256x256/apps/kolvar.png", "share/doc/kolvar/README.md",
          "share/applications/kolvar.desktop"})
        EXPECT_TRUE(QFileInfo(prefix + "/" + file).isFile()) << file;

    QDir().mkpath("empty");
    const QString empty = dir.path + "/empty";
    QDir::setCurrent(empty);
    EXPECT_EQ(run(prefix + "/bin/kolvar", {"--check"}, out), 0) << out.toStdString();
    EXPECT_TRUE(
        out.endsWith(prefix + "/share/kolvar/maps/basicMap.xml: 0 fouten, 0 waarschuwingen\n"))
        << out.toStdString();

    // F12 saves the view in the folder the program was started from, although
    // it works from the installed world's folder.
    e2e::Program program(display, empty, {}, {}, prefix + "/bin/kolvar");
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();
    e2e::Program::frames(10);
    program.key("F12");
    ASSERT_TRUE(program.waitForOutput("Schermafdruk bewaard als")) << program.output();
    const QStringList shots = QDir(empty).entryList({"kolvar-*.png"});
    ASSERT_EQ(shots.size(), 1);
    const QImage shot(empty + "/" + shots.first());
    ASSERT_EQ(shot.size(), QSize(900, 700));
    // The world's sky above and grass below, which neither a black frame nor an empty world has.
    const int sky = e2e::countPixels(shot.copy(0, 0, 900, 250),
                                     [](int r, int, int b) { return b > 140 && b > r + 30; });
    const int grass = e2e::countPixels(
        shot.copy(0, 450, 900, 250), [](int r, int g, int b) { return g > r + 20 && g > b + 20; });
    EXPECT_GT(sky, 900 * 250 / 2) << "sky pixels";
    EXPECT_GT(grass, 900 * 250 / 8) << "grass pixels";
}
