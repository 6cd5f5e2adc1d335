// Canvas: GL set-up, the frame loop, input hand-over and the overlay.
#include "app/canvas.h"

#include "mapfile/maploader.h"
#include "textures/texturefactory.h"
#include "world/map.h"

#include <GL/glu.h>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QTimer>
#include <iostream>

namespace {
constexpr int kOverlayX = 10;        // pixels from the left
constexpr int kOverlayRowPixels = 15;
} // namespace

Canvas::Canvas(const Options& options, QWidget* parent) : QOpenGLWidget(parent), options(options) {
    timer = new QTimer;
    connect(timer, SIGNAL(timeout()), this, SLOT(update()));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    textureFactory = new TextureFactory;
}

void Canvas::initializeGL() {
    std::cout << "InitializeGl() \n";
    QOpenGLWidget::initializeGL();
    std::cout << "We gaan de map inladen : \n";
    world = new Map;
    {
        MapLoader loader(world);
        loader.load(options.mapPath);
    }
    world->ensureCamera();
    std::cout << "We hebben gedaan de map in te laden \n";
    world->compileDisplayLists();

    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    timer->start(kFramePeriodMs);
}

void Canvas::resizeGL(int w, int h) {
    std::cout << "ResizeGl()\n";
    if (w <= 0 || h <= 0)
        return; // keep the previous viewport and projection
    // w and h are device-independent pixels; the framebuffer has physical ones.
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, int(w * ratio), int(h * ratio));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Map::kFieldOfViewDegrees, double(w) / double(h), Map::kNearPlane,
                   Map::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Canvas::paintGL() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    world->drawFrame();
    glLoadIdentity();
    renderOverlay(world->overlayText);
    setMouseTracking(world->mouseTracking);
}

void Canvas::renderOverlay(const QString& text) {
    // Filled glyphs also in wireframe mode; the next frame sets the mode again.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    GLfloat colour[4]; // RGBA, 0 to 1: whatever the scene set last
    glGetFloatv(GL_CURRENT_COLOR, colour);
    // QPainter draws with shaders of its own and leaves depth test, depth
    // function, blending and buffer bindings changed at its end; the whole
    // fixed-function state is saved around it. Inside, the texture factory's
    // alpha test (alpha exactly 1) would drop the glyphs' smoothed pixels,
    // and the unpack alignment of 1 that model textures leave would skew
    // the glyph cache's uploads.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glDisable(GL_ALPHA_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    {
        QPainter painter(this);
        painter.setPen(QColor::fromRgbF(colour[0], colour[1], colour[2], colour[3]));
        painter.setFont(QFont());
        int y = kOverlayRowPixels; // baseline, pixels from the top
        const QStringList rows = text.split("\n", Qt::KeepEmptyParts, Qt::CaseSensitive);
        for (const QString& row : rows) {
            painter.drawText(kOverlayX, y, row);
            y += kOverlayRowPixels;
        }
    }
    glPopClientAttrib();
    glPopAttrib();
}

// Input can only reach the world once the GL context, and with it the world, exists.
void Canvas::keyPressEvent(QKeyEvent* event) {
    if (world)
        world->keyPressed(event);
}

void Canvas::keyReleaseEvent(QKeyEvent* event) {
    if (world)
        world->keyReleased(event);
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    if (!world)
        return;
    // Picking draws in selection mode and needs this widget's context.
    makeCurrent();
    world->mousePressed(event, devicePixelRatioF());
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
    if (!world)
        return;
    world->mouseMoved(event);
    const QPoint centre(width() / 2, height() / 2);
    QCursor::setPos(mapToGlobal(centre));
    world->camera->setMouseReference(centre.x(), centre.y());
}
