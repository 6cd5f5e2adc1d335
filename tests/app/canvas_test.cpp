// The canvas and window on real GL: start-up order, fixed GL state, the
// projection on resize, the frame and its mouse-look hand-over.
#include "app/canvas.h"
#include "app/window.h"
#include "model3ds/writer3ds.h"
#include "tests/support/gltest.h"
#include "world/map.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct TestCanvas : Canvas {
    using Canvas::paintGL;
    using Canvas::resizeGL;
};

const char* kMap = R"(<map>
  <camera><startingPos posx="0" posy="2.5" posz="35" viewx="0" viewy="2.5" viewz="30"/></camera>
  <lights><light nr="1" on="true"/></lights>
</map>)";

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { dir.write("maps/basicMap.xml", kMap); }
    // Shows the canvas and lets Qt initialise its GL context.
    void start(QWidget& widget, Canvas& canvas) {
        widget.show();
        QElapsedTimer clock;
        clock.start();
        // A frame can be painted only once the window is mapped.
        while ((!canvas.world || !canvas.testAttribute(Qt::WA_Mapped)) && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_NE(canvas.world, nullptr);
        canvas.makeCurrent();
    }
    testgl::TempWorkDir dir;
};

TEST_F(CanvasTest, InitialisationLoadsTheWorldSetsTheGlStateAndStartsTheTimer) {
    testgl::StdoutCapture out;
    TestCanvas canvas;
    canvas.resize(400, 200);
    start(canvas, canvas);
    const std::string text = out.text();
    EXPECT_EQ(text.rfind("InitializeGl() \nWe gaan de map inladen : \n"
                         "We hebben gedaan de map in te laden \n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("ResizeGl()\n"), std::string::npos);
    ASSERT_NE(canvas.world->camera, nullptr);
    EXPECT_DOUBLE_EQ(canvas.world->camera->eye[2], 35);
    EXPECT_EQ(canvas.world->lights.size(), 1u);

    EXPECT_TRUE(canvas.timer->isActive());
    EXPECT_EQ(canvas.timer->interval(), 50);
    EXPECT_EQ(canvas.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(canvas.cursor().shape(), Qt::CrossCursor);

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);
    EXPECT_FLOAT_EQ(clear[0], 0.0f);
    GLint depthFunc;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat lineWidth;
    glGetFloatv(GL_LINE_WIDTH, &lineWidth);
    EXPECT_NEAR(lineWidth, 1.3f, 1e-5);
}

TEST_F(CanvasTest, ResizeSetsViewportAndPerspectiveAndIgnoresAnEmptySize) {
    TestCanvas canvas;
    canvas.resize(400, 200);
    start(canvas, canvas);
    testgl::StdoutCapture out;
    canvas.resizeGL(400, 200);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 200);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(20.0 * M_PI / 180.0); // half of the 40 degree field
    EXPECT_NEAR(projection[5], f, 1e-6); // GL keeps floats
    EXPECT_NEAR(projection[0], f / 2.0, 1e-6); // aspect 2
    EXPECT_NEAR(projection[10], -(750.0 + 1.0) / (750.0 - 1.0), 1e-6);

    canvas.resizeGL(400, 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 200);
    GLdouble after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(after[0], projection[0]);
    EXPECT_EQ(out.text(), "ResizeGl()\nResizeGl()\n");
}

TEST_F(CanvasTest, AFrameRebuildsTheOverlayAndAdoptsTheMouseLookSwitch) {
    TestCanvas canvas;
    canvas.resize(320, 240);
    start(canvas, canvas);
    canvas.world->overlayText.clear();
    canvas.world->mouseTracking = false;
    testgl::grab(canvas);
    EXPECT_TRUE(canvas.world->overlayText.startsWith("Lights:\n\nLight 0: on\n"));
    EXPECT_FALSE(canvas.hasMouseTracking());
    canvas.world->mouseTracking = true;
    testgl::grab(canvas);
    EXPECT_TRUE(canvas.hasMouseTracking());
    // The overlay is drawn filled even in wireframe mode.
    canvas.world->renderMode = GL_LINE;
    testgl::grab(canvas);
    canvas.makeCurrent();
    GLint mode[2];
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    // The overlay's painter leaves the next frame's depth test as it found it.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
}

// The overlay's pixels in the top-left corner after one frame.
QImage overlayPicture(Canvas& canvas) {
    return testgl::grab(canvas).copy(0, 0, 220, 240);
}

TEST_F(CanvasTest, TheOverlayLooksTheSameWhateverStateTexturesLeave) {
    QImage clean;
    {
        TestCanvas canvas;
        canvas.resize(320, 320);
        start(canvas, canvas);
        clean = overlayPicture(canvas);
    }
    // A texture switches the alpha test on; a model's plain-colour material
    // leaves the unpack alignment at 1; both happen before the first frame.
    testgl::writePng(dir.path() + "/grass.png", 8, 8, 0x00ff00ff);
    Writer3DS model;
    model.beginFile();
        model.material("paint", 0.9f, 0.1f, 0.1f);
        model.end();
    model.end();
    dir.write("box.3ds", model.bytes());
    dir.write("maps/basicMap.xml",
              "<map><camera><startingPos posx=\"0\" posy=\"2.5\" posz=\"35\" viewx=\"0\" "
              "viewy=\"2.5\" viewz=\"30\"/></camera><lights><light nr=\"1\" on=\"true\"/></lights>"
              "<textures><texture key=\"g\" file=\"grass.png\"/></textures><blueprints>"
              "<blueprint type=\"smax\" key=\"m\" file=\"box.3ds\"/></blueprints></map>");
    TestCanvas canvas;
    canvas.resize(320, 320);
    start(canvas, canvas);
    ASSERT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    ASSERT_EQ(alignment, 1);
    const QImage picture = overlayPicture(canvas);
    int differing = 0;
    for (int y = 0; y < clean.height(); ++y)
        for (int x = 0; x < clean.width(); ++x)
            differing += clean.pixel(x, y) != picture.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(CanvasTest, TheWindowIsTitledSizedAndHoldsOnlyTheCanvas) {
    Window window{Options()};
    EXPECT_EQ(window.windowTitle(), "Kolvar");
    EXPECT_EQ(window.size(), QSize(900, 700));
    EXPECT_EQ(window.centralWidget(), window.canvas);
    start(window, *window.canvas);
    EXPECT_EQ(window.canvas->size(), QSize(900, 700));
}

} // namespace
