#include "tests/support/gltest.h"

#include <GL/gl.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QOpenGLWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <iostream>

namespace testgl {

QOpenGLWidget* widget() {
    static QOpenGLWidget* w = [] {
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
    w->makeCurrent();
    return w;
}

QImage grab(QOpenGLWidget& widget) { return widget.grabFramebuffer(); }

void makeCurrent() { widget(); }

StdoutCapture::StdoutCapture() : old(std::cout.rdbuf(out.rdbuf())) {}
StdoutCapture::~StdoutCapture() { std::cout.rdbuf(old); }

TempWorkDir::TempWorkDir() : previous(QDir::currentPath()) {
    QTemporaryDir tmp(QDir::tempPath() + "/kolvar-test-XXXXXX");
    tmp.setAutoRemove(false);
    dir = tmp.path();
    QDir(dir).mkpath("maps");
    QDir::setCurrent(dir);
}

TempWorkDir::~TempWorkDir() {
    QDir::setCurrent(previous);
    QDir(dir).removeRecursively();
}

void writeFile(const QString& path, const std::string& content) {
    QDir().mkpath(QFileInfo(path).path());
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f)
        return;
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

void TempWorkDir::write(const QString& relativePath, const std::string& content) const {
    writeFile(dir + "/" + relativePath, content);
}

OrthoView::OrthoView(float extent, int size) {
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-extent, extent, -extent, extent, -extent, extent);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

OrthoView::~OrthoView() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

std::vector<Polygon> capture(const std::function<void()>& draw, float extent) {
    makeCurrent();
    const int size = 1024; // viewport in pixels; feedback does not rasterise
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);

    {
        OrthoView view(extent, size);
        draw();
    }

    GLint count = glRenderMode(GL_RENDER);
    std::vector<Polygon> polygons;
    // Window coordinates back to object coordinates: x_w = (x/E + 1) * size/2;
    // glOrtho maps z to -z/E, and the depth range maps that to (1 - z/E) / 2.
    auto vertexAt = [&](GLint i) {
        Vertex v;
        v.x = (buffer[i] / (size / 2.0f) - 1) * extent;
        v.y = (buffer[i + 1] / (size / 2.0f) - 1) * extent;
        v.z = (1 - 2 * buffer[i + 2]) * extent;
        v.r = buffer[i + 3];
        v.g = buffer[i + 4];
        v.b = buffer[i + 5];
        v.a = buffer[i + 6];
        v.s = buffer[i + 7];
        v.t = buffer[i + 8];
        return v;
    };
    const GLint vertexSize = 3 + 4 + 4;
    for (GLint i = 0; i < count;) {
        GLint token = GLint(buffer[i++]);
        if (token == GL_POLYGON_TOKEN) {
            GLint n = GLint(buffer[i++]);
            Polygon p;
            for (GLint k = 0; k < n; ++k, i += vertexSize)
                p.v.push_back(vertexAt(i));
            polygons.push_back(p);
        } else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                   token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN) {
            i += vertexSize;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 2 * vertexSize;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            break; // unknown token: stop rather than misread
        }
    }
    return polygons;
}

void writePng(const QString& path, int width, int height, unsigned rgba) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor((rgba >> 24) & 0xff, (rgba >> 16) & 0xff, (rgba >> 8) & 0xff, rgba & 0xff));
    QDir().mkpath(QFileInfo(path).path());
    image.save(path, "PNG");
}

} // namespace testgl
