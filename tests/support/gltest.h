// Test support shared by every test binary: a real GL context (a hidden-ish
// QOpenGLWidget on Mesa under Xvfb), stdout capture, a temporary working
// directory with a maps/ folder, and GL feedback capture of what a draw emits.
#pragma once

#include <QString>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

class QImage;
class QOpenGLWidget;

namespace testgl {

// The test binary's GL widget; its context is made current before returning.
QOpenGLWidget* widget();
void makeCurrent();

// Paints a fresh frame of a GL widget and returns its pixels.
QImage grab(QOpenGLWidget& widget);

// Replaces std::cout's buffer for its lifetime; text() is what was written.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    std::string text() const { return out.str(); }

private:
    std::ostringstream out;
    std::streambuf* old;
};

// Writes text or bytes to a file, creating its folders.
void writeFile(const QString& path, const std::string& content);

// A fresh temporary directory made the working directory for its lifetime,
// with an empty maps/ folder in it.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    // Writes text (or bytes) to a path relative to the directory, creating folders.
    void write(const QString& relativePath, const std::string& content) const;
    QString path() const { return dir; }

private:
    QString dir;
    QString previous;
};

// For its lifetime: a size x size viewport, an orthographic projection over
// [-extent, extent] on every axis and an identity model view; both matrices
// are restored on destruction.
class OrthoView {
public:
    OrthoView(float extent, int size);
    ~OrthoView();
};

// One vertex as GL feedback reports it, mapped back to the coordinates the
// draw call gave (see capture()).
struct Vertex {
    float x, y, z;       // object coordinates
    float r, g, b, a;    // current colour
    float s, t;          // texture coordinates
};
struct Polygon {
    std::vector<Vertex> v;
};

// Runs draw in GL_FEEDBACK mode (GL_3D_COLOR_TEXTURE) under an orthographic
// projection covering [-extent, extent] on every axis and an identity model
// view, and returns the polygons it emitted with their vertices mapped back
// to object coordinates. Culling and lighting are as the caller left them.
std::vector<Polygon> capture(const std::function<void()>& draw, float extent = 256);

// Writes a small PNG of one colour (RGBA) at path.
void writePng(const QString& path, int width, int height, unsigned rgba);

} // namespace testgl
