#include "tests/support/gltest.h"

#include "app/canvas.h"

#include <GL/gl.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QOpenGLWidget>
#include <QTemporaryDir>

namespace testgl {

void makeCurrent() {
    static QOpenGLWidget* widget = [] {
        auto* gl = new QOpenGLWidget;
        gl->resize(320, 240);
        gl->show();
        // The context exists once Qt has initialised the shown widget.
        QElapsedTimer clock;
        clock.start();
        while (!gl->isValid() && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        return gl;
    }();
    widget->makeCurrent();
}

TempWorkDir::TempWorkDir() : previous(QDir::currentPath()) {
    QTemporaryDir tmp(QDir::tempPath() + "/kolvar-test-XXXXXX");
    tmp.setAutoRemove(false);
    QDir::setCurrent(path = tmp.path());
}

TempWorkDir::~TempWorkDir() {
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
    for (int i = 0; i < width * height; ++i)
        image.setPixel(i % width, i / width, pixel(i % width, i / width));
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path);
}

std::vector<Polygon> capture(const std::function<void()>& draw, float extent) {
    makeCurrent();
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    glViewport(0, 0, 1024, 1024); // pixels; feedback does not rasterise
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
    const GLint count = glRenderMode(GL_RENDER);
    // Window coordinates back to object coordinates: x_w = (x/E + 1) * 512;
    // glOrtho maps z to -z/E, and the depth range maps that to (1 - z/E) / 2.
    // A vertex is 11 floats: x y z, r g b a, s t r q.
    std::vector<Polygon> polygons;
    for (GLint i = 0; i < count;) {
        const GLint token = GLint(buffer[i++]);
        const bool polygon = token == GL_POLYGON_TOKEN, line = token == GL_LINE_TOKEN;
        const GLint n = polygon ? GLint(buffer[i++]) : line || token == GL_LINE_RESET_TOKEN ? 2 : 1;
        if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        Polygon p;
        for (const float* f = &buffer[i]; p.size() < size_t(n); f += 11, i += 11)
            p.push_back({(f[0] / 512 - 1) * extent, (f[1] / 512 - 1) * extent,
                         (1 - 2 * f[2]) * extent, f[3], f[4], f[5], f[6], f[7], f[8]});
        if (polygon)
            polygons.push_back(p);
    }
    return polygons;
}

QImage frame(Canvas& canvas) {
    // No new paint: the buffer as the last frame left it, which Mesa keeps
    // after the swap (Qt leaves that undefined for a NoPartialUpdate window).
    return canvas.grabFramebuffer();
}

} // namespace testgl
