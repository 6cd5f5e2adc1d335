// The canvas on real GL: the overlay's pixels are the same whatever GL state
// the loaded textures and models leave before the first frame.
#include "app/canvas.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <gtest/gtest.h>

// Shows a 320 x 320 canvas and waits (at most 10 s) for its world and its window.
static void showAndLoad(Canvas& canvas) {
    canvas.resize(320, 320);
    canvas.show();
    QElapsedTimer clock;
    clock.start();
    while ((!canvas.world || !canvas.isExposed()) && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The overlay's corner of the first frame of a canvas on the map with extra sections.
static QImage overlay(const std::string& sections) {
    testgl::TempWorkDir dir;
    testgl::writeImage("grass.png", 8, 8, [](int, int) { return 0xff00ff00; });
    dir.write("box.3ds", fx::file(fx::material("paint", 0.9f, 0.1f, 0.1f)));
    dir.write("maps/basicMap.xml",
              "<map><lights><light nr=\"1\" on=\"true\"/></lights>" + sections + "</map>");
    Canvas canvas;
    showAndLoad(canvas);
    const QImage shot = testgl::frame(canvas);
    // The overlay's painter must leave the next frame the scene's depth state.
    canvas.makeCurrent();
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && depthFunction == GL_LEQUAL);
    return shot.copy(0, 0, 220, 240);
}

TEST(Canvas, TheOverlayLooksTheSameWhateverStateTexturesAndModelsLeave) {
    const QImage clean = overlay("");
    // A texture switches the alpha test on; a model's plain-colour material
    // leaves the unpack alignment at 1.
    const QImage picture = overlay("<textures><texture key=\"g\" file=\"grass.png\"/></textures>"
                                   "<blueprints><blueprint type=\"smax\" key=\"m\" "
                                   "file=\"box.3ds\"/></blueprints>");
    ASSERT_TRUE(clean.size() == QSize(220, 240) && picture.size() == clean.size());
    int text = 0, differing = 0;
    for (int y = 0; y < clean.height(); ++y)
        for (int x = 0; x < clean.width(); ++x) {
            text += qRed(clean.pixel(x, y)) + qGreen(clean.pixel(x, y)) > 300;
            differing += clean.pixel(x, y) != picture.pixel(x, y);
        }
    EXPECT_GT(text, 400) << "the overlay text is drawn";
    EXPECT_EQ(differing, 0);
}

// The problems of a load in the window: their count, in Dutch's singular
// for one, and their first lines, each cut to the window's width; H hides
// them. A reload whose include is half saved keeps the world and says so.
TEST(Canvas, TheOverlayListsTheLoadsProblemsAndAHalfSavedIncludeKeepsTheWorld) {
    testgl::TempWorkDir dir;
    const std::string longKey(200, 'k');
    dir.write("maps/inc.xml", "<map><lights><light nr=\"0\" on=\"true\"/></lights></map>");
    dir.write("maps/basicMap.xml",
              "<map><includes><include file=\"inc.xml\"/></includes>"
              "<blueprints><blueprint type=\"quad\" key=\"" +
                  longKey +
                  "\" colour=\"red\"><params width=\"2\" height=\"2\"/></blueprint>"
                  "</blueprints></map>");
    Canvas canvas;
    canvas.resize(640, 320);
    canvas.show();
    auto waitFor = [&](auto done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        testgl::frame(canvas);
    };
    waitFor([&] { return canvas.world && canvas.isExposed(); });
    const QString overlay = canvas.overlayText();
    EXPECT_TRUE(overlay.contains("\n1 probleem bij het laden (zie de console)\n"))
        << overlay.toStdString();
    const QFontMetrics metrics{QFont()};
    QString line;
    for (const QString& row : overlay.split('\n'))
        if (row.startsWith("maps/basicMap.xml:1:"))
            line = row;
    EXPECT_TRUE(line.contains("waarschuwing: onbekend attribuut colour") && line.endsWith(u'…'))
        << overlay.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(line), 640) << line.toStdString();
    QKeyEvent h(QEvent::KeyPress, Qt::Key_H, Qt::NoModifier);
    canvas.world->keyPressed(&h); // hides the overlay
    EXPECT_FALSE(canvas.overlayText().contains("probleem")) << canvas.overlayText().toStdString();
    canvas.world->keyPressed(&h);

    const Map* shown = canvas.world.get();
    dir.write("maps/inc.xml", "<map><lights><light nr=\"0\"");
    {
        testgl::StdoutCapture out;
        canvas.reload();
    }
    waitFor([] { return true; });
    EXPECT_EQ(canvas.world.get(), shown);
    const QString failed = canvas.overlayText();
    EXPECT_TRUE(failed.contains("Herladen mislukt, de vorige wereld blijft: maps/inc.xml:1:"))
        << failed.toStdString();
    EXPECT_TRUE(failed.contains("\n2 problemen\n")) << failed.toStdString();
}

// Editing keys on the canvas. Faults caught: a walk key held before Ctrl
// whose repeats, now with Ctrl, are taken for edits, so its release never
// reaches the camera and the viewer walks on; an edit after a load that
// kept the last world (an image of it went missing), made from the
// editor's offsets of before the copy, so the move lands in the copy.
TEST(Canvas, AKeyHeldBeforeCtrlStaysTheWorldsAndNoEditFollowsAFailedLoad) {
    testgl::TempWorkDir dir;
    testgl::writeImage("grass.png", 8, 8, [](int, int) { return 0xff00ff00; });
    const std::string map =
        "<map><textures><texture key=\"g\" file=\"grass.png\"/></textures>\n"
        "<blueprints><blueprint type=\"girder\" key=\"box\"><params subtype=\"cube\" "
        "width=\"1\"/></blueprint></blueprints>\n"
        "<objects>\n"
        "  <object key=\"a\" blueprintKey=\"box\"><pos x=\"1\"/></object>\n"
        "  <object key=\"b\" blueprintKey=\"box\"><pos x=\"5\"/></object>\n"
        "</objects></map>\n";
    dir.write("maps/basicMap.xml", map);
    Canvas canvas;
    showAndLoad(canvas);
    ASSERT_TRUE(canvas.world);
    auto key = [&](QEvent::Type type, int code, Qt::KeyboardModifiers modifiers,
                   bool repeat = false) {
        QKeyEvent event(type, code, modifiers, QString(), repeat);
        QCoreApplication::sendEvent(&canvas, &event);
    };
    auto bytes = [] {
        QFile file("maps/basicMap.xml");
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    };
    testgl::StdoutCapture out;
    canvas.world->select(canvas.world->objectId("box", "a"));

    key(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    key(QEvent::KeyPress, Qt::Key_Up, Qt::ControlModifier, true);
    key(QEvent::KeyRelease, Qt::Key_Up, Qt::ControlModifier);
    key(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(canvas.world->camera().forwardStep, 0.0f) << "the walk goes on";
    EXPECT_EQ(bytes(), map) << "a repeat of a held walk key moved the selection";

    // A copy whose load keeps the last world, as the image has gone: the
    // next edit is refused and writes nothing.
    QFile::remove("grass.png");
    key(QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier);
    key(QEvent::KeyRelease, Qt::Key_D, Qt::ControlModifier);
    const std::string copied = bytes();
    ASSERT_NE(copied.find("<object key=\"a_2\""), std::string::npos) << copied;
    canvas.world->select(canvas.world->objectId("box", "b"));
    key(QEvent::KeyPress, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(bytes(), copied);
    EXPECT_NE(out.text().find("niet verplaatst: de wereld op het scherm is niet die van de "
                              "bestanden"),
              std::string::npos)
        << out.text();
}
