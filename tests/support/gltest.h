// Test support shared by every test binary: a real GL context (a QOpenGLWidget
// on Mesa under Xvfb), stdout capture, a temporary working directory, GL feedback
// capture of what a draw emits, and the one place that draws a canvas frame
// and reads its pixels.
#pragma once

#include <QImage>
#include <functional>
#include <iostream>
#include <sstream>
#include <vector>

class Canvas;

namespace testgl {

// Makes the test binary's GL context current (creating its widget once).
void makeCurrent();

// Replaces std::cout's buffer for its lifetime; text() is what was written.
struct StdoutCapture {
    StdoutCapture() : old(std::cout.rdbuf(out.rdbuf())) {}
    ~StdoutCapture() { std::cout.rdbuf(old); }
    std::string text() const { return out.str(); }
    std::ostringstream out;
    std::streambuf* old;
};

// A fresh temporary directory, the working directory until it is removed.
struct TempWorkDir {
    TempWorkDir();
    ~TempWorkDir();
    // Writes text or bytes to a path relative to the directory, creating folders.
    void write(const QString& relativePath, const std::string& content) const;
    QString path, previous;
};

// Writes an image whose pixel (x, y) is the ARGB value pixel(x, y), in the
// format of the file name's suffix.
void writeImage(const QString& path, int width, int height,
                const std::function<unsigned(int, int)>& pixel);

// One vertex as GL feedback reports it, in the coordinates the draw gave.
struct Vertex {
    float x, y, z, r, g, b, a, s, t; // position, current colour, texture coordinates
};
using Polygon = std::vector<Vertex>;

// Runs draw in GL_FEEDBACK mode under glOrtho over [-extent, extent] on every
// axis and an identity model view; the polygons it emitted (Mesa splits a
// quad into two triangles).
std::vector<Polygon> capture(const std::function<void()>& draw, float extent = 256);

// What the canvas's last frame left in its framebuffer (paint one first).
QImage frame(Canvas& canvas);

} // namespace testgl
