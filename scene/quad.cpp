// Quad: draws a horizontal textured rectangle as a grid of 2 x 2 unit cells.
#include "scene/quad.h"

#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <cmath>
#include <iostream>

namespace {

constexpr float kCellSize = 2.0f;    // world units along x and z
constexpr float kTexStart = 0.01f;   // first texture coordinate of a slice
constexpr double kTexSpan = 0.98;    // texture span of one repeat
constexpr float kTexRestart = 0.97f; // a coordinate at or past this starts again
// Cell loops run on int; an edge outside this range (or not a number) draws nothing.
constexpr float kMaxEdge = 1.0e9f;
// About 4000 x 4000 world units, far beyond the 750-unit view: a larger quad
// is a slip of the map author's and would take the memory of the display
// list compiled from it.
constexpr long kMaxCells = 4000000;

// Texture step per cell along one axis: the span of one repeat spread over
// the cells that repeat covers. A repeat (or extent) of 0 covers no cells, so
// the coordinate does not advance rather than dividing by zero.
float cellStep(float extent, float repeat) {
    if (repeat == 0.0f)
        return 0.0f;
    double cells = (extent / repeat) / 2.0;
    if (cells == 0.0)
        return 0.0f;
    return float(kTexSpan / cells);
}

bool drawableEdge(float v) {
    return std::isfinite(v) && std::fabs(v) < kMaxEdge;
}

// True if the cell grid between the edges can be drawn; says why not otherwise.
bool fitsGrid(float lowX, float highX, float lowZ, float highZ, float width, float height) {
    if (!drawableEdge(lowX) || !drawableEdge(highX) || !drawableEdge(lowZ) || !drawableEdge(highZ))
        return false;
    const double cells = std::ceil((highX - std::trunc(lowX)) / kCellSize) *
                         std::ceil((highZ - std::trunc(lowZ)) / kCellSize);
    if (cells <= double(kMaxCells))
        return true;
    std::cout << "Quad van " << width << " x " << height << " is te groot, meer dan " << kMaxCells
              << " cellen: wordt niet getekend \n";
    return false;
}

} // namespace

void Quad::setTexture(const std::string& key) {
    textureKey = key;
    textured = true;
}

void Quad::bindTexture() {
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureFactory ? textureFactory->getTextureId(textureKey) : 0);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void Quad::draw() {
    glDisable(GL_TEXTURE_2D);
    float s = kTexStart;
    float t = kTexStart;
    const float ds = cellStep(width, repeatX);
    const float dt = cellStep(height, repeatZ);
    bindTexture();

    const float y = position.y;
    const float lowX = position.x - width / 2;
    const float highX = position.x + width / 2;
    const float lowZ = position.z - height / 2;
    const float highZ = position.z + height / 2;
    if (fitsGrid(lowX, highX, lowZ, highZ, width, height)) {
        for (int z = int(lowZ); z < highZ; z += int(kCellSize)) {
            for (int x = int(lowX); x < highX; x += int(kCellSize)) {
                const float x0 = float(x), x1 = float(x) + kCellSize;
                const float z0 = float(z), z1 = float(z) + kCellSize;
                // clang-format off
                glBegin(GL_TRIANGLES);
                    glNormal3f(0.0f, 1.0f, 0.0f);
                    glTexCoord2f(s, t);
                    glVertex3f(x0, y, z0);
                    glTexCoord2f(s, t + dt);
                    glVertex3f(x0, y, z1);
                    glTexCoord2f(s + ds, t);
                    glVertex3f(x1, y, z0);
                glEnd();
                glBegin(GL_TRIANGLES);
                    glNormal3f(0.0f, 1.0f, 0.0f);
                    glTexCoord2f(s + ds, t);
                    glVertex3f(x1, y, z0);
                    glTexCoord2f(s, t + dt);
                    glVertex3f(x0, y, z1);
                    glTexCoord2f(s + ds, t + dt);
                    glVertex3f(x1, y, z1);
                glEnd();
                // clang-format on
                s = s + ds;
                if (s >= kTexRestart)
                    s = kTexStart;
            }
            // s carries on into the next row.
            t = t + dt;
            if (t >= kTexRestart)
                t = kTexStart;
        }
    }
    glEnable(GL_TEXTURE_2D);
}
