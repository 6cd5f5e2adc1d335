// The real program on map files: `kolvar --check` without a display, and
// `kolvar MAP` on the default world plus one hostile or careless file:
// the window opens, the file is named once, the rest of the world is drawn.
#include "tests/e2e/e2e.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString sourceDir() {
    return QString::fromLocal8Bit(qgetenv("KOLVAR_SOURCE_DIR"));
}

// The default world's maps/ (map files, images, models), copied into dir.
void copyDefaultWorld(const e2e::WorkDir& dir) {
    const QString from = sourceDir() + "/maps";
    QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString to = dir.path + "/maps" + file.mid(from.size());
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(file, to);
    }
}

TEST(MapCheckProgram, ExitsWithZeroOneOrTwoWithoutADisplay) {
    e2e::WorkDir dir;
    dir.write("maps/warn.xml", "<map><camera><startingPos posx=\"abc\"/></camera></map>");
    dir.write("maps/broken.xml", "<map><includes><include file=\"none.xml\"/></includes></map>");
    const struct {
        QString workDir;
        QStringList arguments;
        int status;
        const char* output;
    } rows[] = {
        {sourceDir(), {"--check"}, 0, "maps/basicMap.xml: 0 fouten, 0 waarschuwingen\n"},
        {dir.path, {"--check", "maps/warn.xml"}, 1, "maps/warn.xml:1:"},
        {dir.path, {"--check", "maps/broken.xml"}, 2, "maps/broken.xml:1:"},
    };
    for (const auto& row : rows) {
        QProcess check;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        check.setProcessEnvironment(env);
        check.setWorkingDirectory(row.workDir);
        check.start(e2e::programPath(), row.arguments);
        ASSERT_TRUE(check.waitForFinished(20000)) << row.arguments.join(" ").toStdString();
        const std::string out = check.readAllStandardOutput().toStdString();
        EXPECT_EQ(check.exitStatus(), QProcess::NormalExit);
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
    std::function<void(const e2e::WorkDir&)> make;
    const char* message; // in the located line that names it
};

std::string repeat(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += text;
    return out;
}

const Hostile kHostile[] = {
    {"a misspelt attribute",
     [](const e2e::WorkDir& dir) {
         dir.write("maps/bad.xml", "<map><blueprints><blueprint type=\"quad\" key=\"q\"><textures>"
                                   "<texture textureKye=\"grass\"/></textures></blueprint>"
                                   "</blueprints></map>");
     },
     "maps/bad.xml:1:"},
    {"nesting 30,000 deep",
     [](const e2e::WorkDir& dir) {
         dir.write("maps/bad.xml",
                   "<map>" + repeat("<a>", 30000) + repeat("</a>", 30000) + "</map>");
     },
     "dieper dan 256 niveaus"},
    {"a FIFO as include",
     [](const e2e::WorkDir& dir) {
         dir.write("maps/bad.xml", "<map><includes><include file=\"fifo.xml\"/></includes></map>");
         mkfifo((dir.path + "/maps/fifo.xml").toLocal8Bit().constData(), 0600);
     },
     "fifo.xml kan niet gelezen worden: is geen gewoon bestand"},
    {"includes doubling 20 levels deep",
     [](const e2e::WorkDir& dir) {
         dir.write("maps/bad.xml", "<map><includes><include file=\"f0.xml\"/></includes></map>");
         for (int i = 0; i < 20; ++i)
             dir.write(QString("maps/f%1.xml").arg(i),
                       "<map><includes>" +
                           repeat("<include file=\"f" + std::to_string(i + 1) + ".xml\"/>", 2) +
                           "</includes></map>");
     },
     "te veel bestanden gelezen"},
    {"a 100 MB sparse include",
     [](const e2e::WorkDir& dir) {
         dir.write("maps/bad.xml", "<map><includes><include file=\"huge.xml\"/></includes></map>");
         QFile huge(dir.path + "/maps/huge.xml");
         huge.open(QIODevice::WriteOnly);
         huge.resize(100LL << 20);
     },
     "huge.xml kan niet gelezen worden: is te groot"},
};

TEST(MapFileProgram, EachHostileInputIsNamedAndTheRestOfTheWorldIsDrawn) {
    e2e::Display display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    for (const Hostile& row : kHostile) {
        SCOPED_TRACE(row.name);
        e2e::WorkDir dir;
        copyDefaultWorld(dir);
        row.make(dir);
        dir.write("maps/main.xml", "<map><includes><include file=\"bad.xml\"/>"
                                   "<include file=\"basicMap.xml\"/></includes></map>");
        e2e::Program program(display, dir.path, {"maps/main.xml"});
        ASSERT_TRUE(program.waitForOutput(row.message, 20000)) << program.output();
        ASSERT_FALSE(program.window().isEmpty()) << program.output();
        e2e::Program::frames(10);
        // The start view: grass on both sides and the red car on the road ahead.
        const QImage shot = program.windowShot();
        const int pixels = shot.width() * shot.height();
        EXPECT_GT(
            e2e::countPixels(shot, [](int r, int g, int b) { return g > r + 30 && g > b + 30; }),
            pixels / 10);
        EXPECT_GT(
            e2e::countPixels(shot, [](int r, int g, int b) { return r > 150 && g < 60 && b < 60; }),
            1500);
        // The located line is printed once, not once per frame.
        const std::string out = program.output();
        const std::size_t at = out.find(row.message), begin = out.rfind('\n', at) + 1;
        const std::string line = out.substr(begin, out.find('\n', at) + 1 - begin);
        EXPECT_EQ(out.find(line, begin + 1), std::string::npos) << out;
        program.key("Escape");
        EXPECT_EQ(program.waitForExit(), 1);
    }
}

} // namespace
