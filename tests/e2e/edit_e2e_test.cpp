// Editing a placed object from the real program's window: Ctrl + click
// selects it, Ctrl + arrows move it, Ctrl+D copies and Ctrl+Delete removes,
// Ctrl+Z undoes; every edit is in the map file at once, byte for byte.
#include "tests/e2e/e2e.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// An author's file: CRLF line endings, a comment between elements, single
// quotes on some attributes. The viewer stands at z 35 looking along -z at
// the red wall, which spans x -5..5, y -1..9 (placed objects go 1 up) and
// z 8..10; light 1 gives full ambient light, so the wall shows pure red.
const char* const kLines[] = {
    "<map>",
    "  <camera><startingPos posx=\"0\" posy='2.5' posz=\"35\" viewx=\"0\" viewy=\"2.5\" "
    "viewz='30'/></camera>",
    "  <!-- the lights of the other window tests -->",
    "  <lights>",
    "    <light nr='0' x=\"0\" y=\"50\" z=\"0\" a=\"1\" on=\"true\"><diffuse r=\"1\" g=\"1\" "
    "b=\"1\" a=\"1\"/></light>",
    "    <light nr=\"1\" x=\"0\" y=\"5\" z=\"40\" a=\"1\" on='true'><ambient r=\"1\" g=\"1\" "
    "b=\"1\" a=\"1\"/></light>",
    "  </lights>",
    "  <blueprints><blueprint type=\"girder\" key='red'><params subtype=\"rect\" width=\"10\" "
    "height=\"10\" depth=\"2\"/>",
    "    <materials><material side=\"all\"><ambient r=\"1\" g=\"0\" b=\"0\" "
    "a=\"1\"/></material></materials></blueprint></blueprints>",
    "  <!-- one wall; Ctrl + arrows move it -->",
    "  <objects>",
    "    <object key='wall' blueprintKey=\"red\"><pos x=\"-5\" y='8' z=\"10\"/></object>",
    "  </objects>",
    "</map>",
};

bool red(int r, int g, int b) {
    return r > 150 && g < 60 && b < 60;
}

// The red pixels' count and mean column (pixels from the left; -1 when none).
struct RedArea {
    int count = 0;
    double centreX = -1;
};
RedArea redArea(const QImage& shot) {
    RedArea area;
    double sum = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (red(qRed(shot.pixel(x, y)), qGreen(shot.pixel(x, y)), qBlue(shot.pixel(x, y)))) {
                ++area.count;
                sum += x;
            }
    if (area.count > 0)
        area.centreX = sum / area.count;
    return area;
}

} // namespace

// Catches: a pick that misses (or no Ctrl + click selection at all); moves
// that rewrite the file (line endings, quotes, the comment) or write "-0";
// a move that the window does not show; a copy that writes LF in a CRLF file
// or leaves its line behind on removal; undo steps lost or one too many; a
// drag that is not written, goes the wrong way or is more than one step; a
// click's wobble of a pixel written as a move.
TEST(EditE2e, CtrlClickMovesCopiesRemovesAndUndoesInTheFileByteForByte) {
    e2e::Display display;
    ASSERT_FALSE(display.name.isEmpty()) << "Xvfb did not start";
    testgl::TempWorkDir dir;
    QByteArray original;
    for (const char* line : kLines)
        original += QByteArray(line) + "\r\n";
    dir.write("maps/world.xml", original.toStdString());
    const QString path = dir.path + "/maps/world.xml";
    auto bytes = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // Polls the file until it holds want (an edit that prints nothing).
    auto fileBecomes = [&](const QByteArray& want) {
        for (int attempt = 0; attempt < 100 && bytes() != want; ++attempt)
            e2e::Program::frames(4);
        return bytes();
    };
    e2e::Program program(display, dir.path, {"maps/world.xml"});
    ASSERT_TRUE(program.waitForOutput("We hebben gedaan de map in te laden")) << program.output();

    // Ctrl held, the pointer moved twice (the first move may still be mouse
    // look's), then a click on the wall in the middle of the 900 x 700 window.
    program.xdo({"keydown", "ctrl"});
    program.xdo({"mousemove", "--window", program.window(), "450", "350"});
    program.xdo({"mousemove", "--window", program.window(), "455", "355"});
    // A click's wobble of a pixel selects, and moves nothing.
    program.xdo({"mousedown", "1"});
    program.xdo({"mousemove", "--window", program.window(), "456", "356"});
    program.xdo({"mouseup", "1"});
    const std::string wall = ": object \"wall\" van blueprint \"red\" staat nu hier:\n";
    ASSERT_TRUE(program.waitForOutput(wall)) << program.output();
    // Line 12 counted over CRLF endings; the column is the reader's.
    EXPECT_NE(program.output().find("maps/world.xml:12:"), std::string::npos) << program.output();

    // The wall as selected: about 385 x 385 pixels (38.5 pixels a unit at
    // its front, 25 units away), its centre in the middle.
    RedArea before;
    for (int attempt = 0; attempt < 60 && before.count < 100000; ++attempt) {
        e2e::Program::frames(4);
        before = redArea(program.shot());
    }
    ASSERT_GT(before.count, 100000) << "the wall is not on screen";
    EXPECT_NEAR(before.centreX, 450, 30);

    // Five units to the right: one value changes in the file, nothing else.
    for (int press = 0; press < 5; ++press)
        program.key("Right");
    ASSERT_TRUE(program.waitForCount(wall, 6)) << program.output();
    QByteArray moved = original;
    ASSERT_EQ(original.count("x=\"-5\""), 1);
    moved.replace("x=\"-5\"", "x=\"0\"");
    EXPECT_EQ(bytes(), moved);
    // The window shows it where the file puts it: about 190 pixels on.
    RedArea after;
    for (int attempt = 0; attempt < 60 && after.centreX < before.centreX + 150; ++attempt) {
        e2e::Program::frames(4);
        after = redArea(program.shot());
    }
    EXPECT_NEAR(after.centreX - before.centreX, 192, 40);
    EXPECT_NEAR(after.count, before.count, before.count / 5) << "the wall stays whole";

    // A copy on its own CRLF line, one unit right of the original, then
    // removed again (the selection went over to it).
    program.key("d");
    ASSERT_TRUE(program.waitForOutput(": object \"wall_2\" van blueprint \"red\" staat nu hier:\n"))
        << program.output();
    const QByteArray copied = bytes();
    EXPECT_TRUE(copied.contains("</object>\r\n    <object key='wall_2' blueprintKey=\"red\">"
                                "<pos x=\"1\" y='8' z=\"10\"/></object>\r\n  </objects>"))
        << copied.toStdString();
    EXPECT_EQ(copied.count("\n"), copied.count("\r\n")) << "a bare LF in a CRLF file";
    program.key("Delete");
    EXPECT_EQ(fileBecomes(moved), moved);

    // Seven steps back to the original bytes, and no eighth step to undo.
    for (int press = 0; press < 8; ++press)
        program.key("z");
    ASSERT_TRUE(program.waitForOutput("Niets om ongedaan te maken\n")) << program.output();
    EXPECT_EQ(fileBecomes(original), original);
    e2e::Program::frames(4);
    const std::string out = program.output();
    EXPECT_EQ(out.find("Niets om ongedaan te maken\n"), out.rfind("Niets om ongedaan te maken\n"))
        << "fewer than seven steps: " << out;
    EXPECT_EQ(out.find(": fout: "), std::string::npos) << out;
    // The wall is back in the middle of the window.
    RedArea undone;
    for (int attempt = 0; attempt < 60 && !(std::abs(undone.centreX - before.centreX) < 10);
         ++attempt) {
        e2e::Program::frames(4);
        undone = redArea(program.shot());
    }
    EXPECT_NEAR(undone.centreX, before.centreX, 10);
    EXPECT_NEAR(undone.count, before.count, before.count / 20);

    // A drag of 90 pixels to the right takes the wall about 2.3 units along
    // x (38.5 pixels a unit at its front), written as one value and undone
    // by one step.
    const std::string sofar = program.output();
    int shown = 0;
    for (std::size_t at = sofar.find(wall); at != std::string::npos; at = sofar.find(wall, at + 1))
        ++shown;
    program.xdo({"mousedown", "1"});
    program.xdo({"mousemove", "--window", program.window(), "501", "356"});
    program.xdo({"mousemove", "--window", program.window(), "546", "356"});
    program.xdo({"mouseup", "1"});
    // The press selects the wall again (one line), the release writes (another).
    ASSERT_TRUE(program.waitForCount(wall, shown + 2)) << program.output();
    const QByteArray dragged = bytes();
    const int at = dragged.indexOf("<pos x=\"") + 8;
    const double x = dragged.mid(at, dragged.indexOf('"', at) - at).toDouble();
    EXPECT_NEAR(x, -5 + 2.3, 0.8) << dragged.toStdString();
    QByteArray draggedWant = original;
    draggedWant.replace("x=\"-5\"", "x=\"" + dragged.mid(at, dragged.indexOf('"', at) - at) + "\"");
    EXPECT_EQ(dragged, draggedWant) << "more than the one value changed";
    program.key("z");
    EXPECT_EQ(fileBecomes(original), original) << "a drag is one step";
    program.xdo({"keyup", "ctrl"});
}
