// The real program on map files: `kolvar --check` without a display, and
// `kolvar MAP` on the default world plus one hostile or careless file:
// the window opens, the file is named once, the rest of the world is drawn.
#include "tests/e2e/e2e.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"
#include "tests/support/hugepng.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString sourceDir() {
    return QString::fromLocal8Bit(qgetenv("KOLVAR_SOURCE_DIR"));
}

// The default world's maps/ (map files, images, models), linked into dir.
void linkDefaultWorld(const testgl::TempWorkDir& dir) {
    QDir().mkpath(dir.path + "/maps");
    for (const QString& entry :
         QDir(sourceDir() + "/maps").entryList(QDir::NoDotAndDotDot | QDir::AllEntries))
        QFile::link(sourceDir() + "/maps/" + entry, dir.path + "/maps/" + entry);
}

TEST(MapCheckProgram, ExitsWithZeroOneOrTwoWithoutADisplay) {
    testgl::TempWorkDir dir;
    dir.write("maps/warn.xml", "<map><camera><startingPos posx=\"abc\"/></camera></map>");
    dir.write("maps/broken.xml", "<map><includes><include file=\"none.xml\"/></includes></map>");
    const struct {
        QString workDir, map;
        int status;
        const char* output;
    } rows[] = {
        {sourceDir(), "maps/basicMap.xml", 0, "maps/basicMap.xml: 0 fouten, 0 waarschuwingen\n"},
        {dir.path, "maps/warn.xml", 1, "\"abc\" is geen getal, wordt 0"},
        {dir.path, "maps/broken.xml", 2, "none.xml kan niet gelezen worden: bestaat niet"},
    };
    for (const auto& row : rows) {
        QProcess check;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        check.setProcessEnvironment(env);
        check.setWorkingDirectory(row.workDir);
        check.start(e2e::programPath(), {"--check", row.map});
        ASSERT_TRUE(check.waitForFinished(20000)) << row.map.toStdString();
        const std::string out = check.readAllStandardOutput().toStdString();
        EXPECT_EQ(check.exitCode(), row.status) << out;
        EXPECT_NE(out.find(row.output), std::string::npos) << out;
    }
}

// One input that a map may name, made by the test: make() writes
// maps/bad.xml, which the map under test includes before the default world,
// and anything bad.xml names. A row for a texture or 3DS model names it from
// a textures or blueprints section of bad.xml.
struct Hostile {
    const char* name;
    std::function<void(const testgl::TempWorkDir&)> make;
    const char* message; // in the located line that names it
};

const Hostile kHostile[] = {
    {"nesting 30,000 deep",
     [](const testgl::TempWorkDir& dir) {
         dir.write("maps/bad.xml", "<map>" + QString("<a>").repeated(30000).toStdString() +
                                       QString("</a>").repeated(30000).toStdString() + "</map>");
     },
     "dieper dan 256 niveaus"},
    {"a FIFO as include",
     [](const testgl::TempWorkDir& dir) {
         dir.write("maps/bad.xml", "<map><includes><include file=\"fifo.xml\"/></includes></map>");
         mkfifo((dir.path + "/maps/fifo.xml").toLocal8Bit().constData(), 0600);
     },
     "fifo.xml kan niet gelezen worden: is geen gewoon bestand"},
    {"includes doubling 20 levels deep",
     [](const testgl::TempWorkDir& dir) {
         for (int i = 0; i < 20; ++i) // maps/bad.xml is the first
             dir.write(i ? QString("maps/f%1.xml").arg(i) : "maps/bad.xml",
                       QString("<map><includes>%1%1</includes></map>")
                           .arg(QString("<include file=\"f%1.xml\"/>").arg(i + 1))
                           .toStdString());
     },
     "te veel bestanden gelezen"},
    {"a PNG header claiming 30000 x 30000 pixels",
     [](const testgl::TempWorkDir& dir) {
         dir.write("huge.png", testgl::hugePngHeader(30000, 30000));
         dir.write("maps/bad.xml", "<map><textures><texture key=\"huge\" file=\"huge.png\"/>"
                                   "</textures></map>");
     },
     "huge.png is 30000 x 30000 beeldpunten"},
    {"a sparse 5 GB file as 3DS model",
     [](const testgl::TempWorkDir& dir) {
         dir.write("big.3ds", "");
         QFile::resize(dir.path + "/big.3ds", 5LL << 30);
         dir.write("maps/bad.xml", "<map><blueprints><blueprint type=\"smax\" key=\"big\" "
                                   "file=\"big.3ds\"/></blueprints></map>");
     },
     "big.3ds is 5368709120 bytes"},
    // The model's own centre lies at x 1e38: its batch square is no long.
    {"a 3DS model 1e38 out, placed at x 1e38",
     [](const testgl::TempWorkDir& dir) {
         dir.write(
             "far.3ds",
             fx::file(fx::object("far", fx::vertices(3, {1e38f, 0, 0, 1e38f, 1, 0, 1e38f, 0, 1}))));
         dir.write("maps/bad.xml",
                   "<map><blueprints><blueprint type=\"smax\" key=\"far\" "
                   "file=\"far.3ds\"/></blueprints><objects><object key=\"o\" "
                   "blueprintKey=\"far\"><pos x=\"1e38\"/></object></objects></map>");
     },
     "x=\"1e38\" ligt buiten -1e9..1e9, wordt 0"},
};

TEST(MapFileProgram, EachHostileInputIsNamedAndTheRestOfTheWorldIsDrawn) {
    e2e::Display display;
    ASSERT_TRUE(!display.name.isEmpty()) << "Xvfb did not start";
    for (const Hostile& row : kHostile) {
        testgl::TempWorkDir dir;
        linkDefaultWorld(dir);
        row.make(dir);
        dir.write("maps/main.xml", "<map><includes><include file=\"bad.xml\"/>"
                                   "<include file=\"basicMap.xml\"/></includes></map>");
        e2e::Program program(display, dir.path, {"maps/main.xml"});
        ASSERT_TRUE(program.waitForOutput(row.message, 20000)) << row.name << program.output();
        // The window and in it the start view, with grass on both sides of the road, within 10 s.
        auto grass = [](const QImage& shot) {
            return e2e::countPixels(shot,
                                    [](int r, int g, int b) { return g > r + 30 && g > b + 30; });
        };
        QImage shot;
        for (int i = 0; i < 40 && grass(shot = program.shot()) < 60000; ++i)
            e2e::Program::frames(5);
        EXPECT_GE(grass(shot), 60000) << row.name; // a tenth of the 900 x 700 canvas
        // The located line is printed once, not once per frame.
        const std::string out = program.output();
        const std::size_t at = out.find(row.message), begin = out.rfind('\n', at) + 1;
        const std::string line = out.substr(begin, out.find('\n', at) + 1 - begin);
        EXPECT_EQ(out.find(line, begin + 1), std::string::npos) << out;
        program.key("Escape");
        EXPECT_EQ(program.waitForExit(), 1) << row.name;
    }
}

} // namespace
