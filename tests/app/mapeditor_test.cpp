// MapEditor against real map files in a temporary working directory: the
// edits it refuses, and its undo stack on the bytes of the file.
#include "app/mapeditor.h"
#include "mapfile/maploader.h"
#include "tests/support/gltest.h"

#include <QFile>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The map read as the window reads it, for the editor.
std::shared_ptr<MapData> loadData(const QString& path) {
    MapLoader loader;
    loader.load(path);
    return std::make_shared<MapData>(loader.takeData());
}

// The object of that key as the data places it, and its target.
bool targetOf(const MapData& data, const std::string& key, MapEditor::Target& target,
              MapPlace& place) {
    for (const mapdata::File& file : data.files)
        for (const mapdata::Object& object : file.objects)
            if (object.key == key) {
                target = {file.path, object.blueprintKey, object.key};
                place = object.place;
                return true;
            }
    return false;
}

const char* const kObjects = "<map><objects>\r\n"
                             "  <!-- the yard -->\r\n"
                             "  <object key='shed' blueprintKey=\"box\"><pos x=\"5\" y='0' "
                             "z=\"-2.5\"/></object>\r\n"
                             "  <object key=\"skybox\" blueprintKey=\"skybox\"/>\r\n"
                             "  <object key=\"barn\" blueprintKey=\"box\"><pos x=\"1\"/></object>\r\n"
                             "</objects></map>\r\n";

} // namespace

// Each refusal writes nothing and says why in one located line. Faults
// caught: an edit over someone's unsaved-by-us change, one edit that would
// land in two places of the world, a failed save reported as done (or the
// file lost), the sky box moved, bytes of another encoding taken for UTF-8.
TEST(MapEditor, RefusesWithOneLineAndWritesNothing) {
    // A name so long that no temporary file can be made beside it: the
    // save fails for any user, root included.
    const QString longName = "maps/" + QString(250, 'l') + ".xml";
    struct Case {
        const char* name;
        std::string key;
        const char* top;                      // the first map; includes are maps/objects.xml
        std::function<void(const QString&)> before; // done to the file after the read
        const char* why;
    } cases[] = {
        {"changed on disk", "shed", "maps/objects.xml",
         [](const QString& path) { writeBytes(path, bytesOf(path) + "<!-- theirs -->"); },
         "is veranderd sinds Kolvar het las"},
        {"included twice", "shed", "maps/top.xml", nullptr, "wordt 2 keer ingelezen"},
        {"cannot be saved", "shed", nullptr, nullptr, "kan niet geschreven worden"},
        {"sky box", "skybox", "maps/objects.xml", nullptr, "sky box"},
        {"not UTF-8", "shed", "maps/latin.xml", nullptr, "in ISO-8859-1 geschreven"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testgl::TempWorkDir dir;
        dir.write("maps/objects.xml", kObjects);
        dir.write("maps/top.xml", "<map><includes><include file=\"objects.xml\"/>"
                                  "<include file=\"objects.xml\"/></includes></map>");
        dir.write("maps/latin.xml",
                  std::string("<?xml version='1.0' encoding='ISO-8859-1'?>\n") + kObjects);
        const QString top = c.top ? QString(c.top) : longName;
        if (!c.top)
            dir.write(longName, kObjects);
        std::shared_ptr<MapData> data = loadData(top);
        MapEditor::Target target;
        MapPlace place;
        ASSERT_TRUE(targetOf(*data, c.key, target, place));
        const QString path = c.top && QString(c.top) == "maps/top.xml" ? "maps/objects.xml" : top;
        if (c.before)
            c.before(path);
        const QByteArray onDisk = bytesOf(path);
        MapEditor editor;
        editor.setData(data);
        testgl::StdoutCapture out;
        const double right[3] = {1, 0, 0};
        EXPECT_FALSE(editor.move(target, place, right));
        EXPECT_EQ(bytesOf(path), onDisk);
        const std::string said = out.text();
        EXPECT_NE(said.find(placeText(place).toStdString() + ": fout: object \"" + c.key +
                            "\" niet verplaatst"),
                  std::string::npos)
            << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_FALSE(editor.canUndo());
    }
}

// 100 edits of every kind that keeps places, of two objects of one file,
// then 100 undos, give the file's first bytes; redo gives the last ones; an
// undo over a change made on disk since is refused. Faults caught: an
// inverse that shifts later splices wrongly, a step that records the wrong
// bytes, the reader's byte offsets of later objects left where an edit
// before them moved them, a stack that undoes over another program's save.
TEST(MapEditor, UndoAndRedoGiveBackEveryByte) {
    testgl::TempWorkDir dir;
    dir.write("maps/objects.xml", kObjects);
    const QString path = "maps/objects.xml";
    const QByteArray original = bytesOf(path);
    MapEditor editor;
    editor.setData(loadData(path));
    // Two objects of one file: each edit of the first moves the second's bytes.
    MapEditor::Target shed, barn;
    MapPlace shedPlace, barnPlace;
    ASSERT_TRUE(targetOf(*loadData(path), "shed", shed, shedPlace));
    ASSERT_TRUE(targetOf(*loadData(path), "barn", barn, barnPlace));
    testgl::StdoutCapture out;
    for (int i = 0; i < 100; ++i) {
        const double delta[3] = {i % 3 == 0 ? 0.1 : 0.0, i % 3 == 1 ? -1.0 : 0.0,
                                 i % 3 == 2 ? 12.5 : 0.0};
        const MapEditor::Target& target = i % 5 == 4 ? barn : shed;
        const MapPlace& place = i % 5 == 4 ? barnPlace : shedPlace;
        ASSERT_TRUE(i % 4 == 3 ? editor.turn(target, place, 15) : editor.move(target, place, delta))
            << i << out.text();
    }
    const QByteArray edited = bytesOf(path);
    EXPECT_NE(edited, original);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(editor.undo()) << i << out.text();
    EXPECT_EQ(bytesOf(path), original);
    EXPECT_FALSE(editor.undo());
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(editor.redo()) << i << out.text();
    EXPECT_EQ(bytesOf(path), edited);

    writeBytes(path, edited + " ");
    EXPECT_FALSE(editor.undo());
    EXPECT_EQ(bytesOf(path), edited + " ");
    EXPECT_NE(out.text().find("is veranderd sinds Kolvar het schreef"), std::string::npos);
}

// A copy takes the first key no object of the world has, and undo selects
// the original again. Fault caught: a copy whose key repeats one in another
// file, so the world holds one of the two.
TEST(MapEditor, CopyTakesAFreeKeyOfTheWholeWorld) {
    testgl::TempWorkDir dir;
    dir.write("maps/objects.xml", kObjects);
    dir.write("maps/top.xml", "<map><includes><include file=\"objects.xml\"/></includes>"
                              "<objects><object key=\"shed_2\" blueprintKey=\"box\"/></objects>"
                              "</map>");
    std::shared_ptr<MapData> data = loadData("maps/top.xml");
    MapEditor editor;
    editor.setData(data);
    MapEditor::Target target;
    MapPlace place;
    ASSERT_TRUE(targetOf(*data, "shed", target, place));
    testgl::StdoutCapture out;
    const double right[3] = {1, 0, 0};
    ASSERT_TRUE(editor.copy(target, place, right)) << out.text();
    EXPECT_EQ(editor.selectAfter().objectKey, "shed_3");
    EXPECT_NE(bytesOf("maps/objects.xml").indexOf("<object key='shed_3' blueprintKey=\"box\">"
                                                  "<pos x=\"6\""),
              -1);
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(editor.selectAfter().objectKey, "shed");
    EXPECT_EQ(bytesOf("maps/objects.xml"), QByteArray(kObjects));
}
