#include "tests/support/gltest.h"

#include "app/canvas.h"

#include <GL/gl.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <iostream>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations" // QGLWidget

namespace testgl {

void makeCurrent() {
    static QGLWidget* widget = new QGLWidget;
    if (!widget->isVisible()) {
        widget->resize(320, 240);
        widget->show();
    }
    widget->makeCurrent();
}

StdoutCapture::StdoutCapture() : old(std::cout.rdbuf(out.rdbuf())) {}
StdoutCapture::~StdoutCapture() {
    std::cout.rdbuf(old);
}

TempWorkDir::TempWorkDir(bool enter) {
    QTemporaryDir tmp(QDir::tempPath() + "/kolvar-test-XXXXXX");
    tmp.setAutoRemove(false);
    path = tmp.path();
    if (enter) {
        previous = QDir::currentPath();
        QDir::setCurrent(path);
    }
}

TempWorkDir::~TempWorkDir() {
    if (!previous.isEmpty())
        QDir::setCurrent(previous);
    QDir(path).removeRecursively();
}

void TempWorkDir::write(const QString& relativePath, const std::string& content) const {
    QFile file(path + "/" + relativePath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (file.open(QIODevice::WriteOnly))
        file.write(content.data(), qint64(content.size()));
}

void writeImage(const QString& path, int width, int height,
                const std::function<unsigned(int, int)>& pixel) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, pixel(x, y));
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path);
}

namespace {
// Runs draw in a size x size viewport under glOrtho over [-extent, extent] on
// every axis and an identity model view; both matrices are restored after.
void inOrthoView(float extent, int size, const std::function<void()>& draw) {
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    draw();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
} // namespace

std::vector<Polygon> capture(const std::function<void()>& draw, float extent) {
    makeCurrent();
    const int size = 1024; // pixels; feedback does not rasterise
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    inOrthoView(extent, size, draw);
    const GLint count = glRenderMode(GL_RENDER);
    // Window coordinates back to object coordinates: x_w = (x/E + 1) * size/2;
    // glOrtho maps z to -z/E, and the depth range maps that to (1 - z/E) / 2.
    const float half = size / 2.0f;
    std::vector<Polygon> polygons;
    for (GLint i = 0; i < count;) {
        const GLint token = GLint(buffer[i++]);
        const GLint vertices = token == GL_POLYGON_TOKEN        ? GLint(buffer[i++])
                               : token == GL_PASS_THROUGH_TOKEN ? 0
                               : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                                                                                        : 1;
        Polygon p;
        for (GLint k = 0; k < vertices; ++k, i += 11) { // x y z, r g b a, s t r q
            const float* f = &buffer[i];
            p.push_back({(f[0] / half - 1) * extent, (f[1] / half - 1) * extent,
                         (1 - 2 * f[2]) * extent, f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        i += token == GL_PASS_THROUGH_TOKEN;
        if (token == GL_POLYGON_TOKEN)
            polygons.push_back(p);
    }
    return polygons;
}

QRgb centre(const std::function<void()>& draw, float extent) {
    makeCurrent();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    inOrthoView(extent, 64, draw);
    glDisable(GL_DEPTH_TEST);
    unsigned char p[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return qRgb(p[0], p[1], p[2]);
}

QImage frame(Canvas& canvas) {
    canvas.updateGL();
    return canvas.grabFrameBuffer();
}

} // namespace testgl
