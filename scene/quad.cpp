// Quad: draws a horizontal textured rectangle as a grid of 2 x 2 unit cells.
#include "scene/quad.h"

#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

namespace {

constexpr float kCellSize = 2.0f;    // world units along x and z
constexpr float kTexStart = 0.01f;   // first texture coordinate of a slice
constexpr double kTexSpan = 0.98;    // texture span of one repeat
constexpr float kTexRestart = 0.97f; // a coordinate at or past this starts again
// Cell loops run on int; an edge outside this range (or not a number) draws nothing.
constexpr float kMaxEdge = 1.0e9f;
constexpr long kMaxCells = Quad::kMaxCells;

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

double Quad::gridCells() const {
    const float lowX = position.x - width / 2;
    const float highX = position.x + width / 2;
    const float lowZ = position.z - height / 2;
    const float highZ = position.z + height / 2;
    if (!(width >= 0) || !(height >= 0) || !drawableEdge(lowX) || !drawableEdge(highX) ||
        !drawableEdge(lowZ) || !drawableEdge(highZ))
        return 0;
    return std::max(0.0, double(std::ceil((highX - std::trunc(lowX)) / kCellSize))) *
           std::max(0.0, double(std::ceil((highZ - std::trunc(lowZ)) / kCellSize)));
}

bool Quad::drawableGrid() {
    const std::string named = name.empty() ? std::string() : name + " ";
    if (width < 0 || height < 0) {
        if (!refused)
            std::cout << "Quad " << named << "heeft een negatieve maat (" << width << " x "
                      << height << "): wordt niet getekend \n";
        refused = true;
        return false;
    }
    if (gridCells() > double(kMaxCells)) {
        if (!refused)
            std::cout << "Quad " << named << "van " << width << " x " << height
                      << " is te groot, meer dan " << kMaxCells
                      << " cellen: wordt niet getekend \n";
        refused = true;
        return false;
    }
    return true;
}

void Quad::drawTiles(int tileCells, const std::function<void(const float*, const float*)>& begin,
                     const std::function<void()>& end) {
    if (!drawableGrid() || gridCells() == 0)
        return;
    float s = kTexStart;
    float t = kTexStart;
    const float ds = cellStep(width, repeatX);
    const float dt = cellStep(height, repeatZ);
    const float y = position.y;
    const float lowX = position.x - width / 2;
    const float highX = position.x + width / 2;
    const float lowZ = position.z - height / 2;
    const float highZ = position.z + height / 2;
    int columns = 0;
    for (int x = int(lowX); x < highX; x += int(kCellSize))
        ++columns;
    // One band of tileCells rows at a time: texture coordinates, x, z per vertex.
    std::vector<std::vector<float>> tiles(std::size_t((columns + tileCells - 1) / tileCells));
    int row = 0;
    int bandLowZ = int(lowZ);
    for (int z = int(lowZ); z < highZ; z += int(kCellSize)) {
        int column = 0;
        for (int x = int(lowX); x < highX; x += int(kCellSize), ++column) {
            const float x0 = float(x), x1 = float(x) + kCellSize;
            const float z0 = float(z), z1 = float(z) + kCellSize;
            const float cell[6][4] = {{s, t, x0, z0},      {s, t + dt, x0, z1},
                                      {s + ds, t, x1, z0}, {s + ds, t, x1, z0},
                                      {s, t + dt, x0, z1}, {s + ds, t + dt, x1, z1}};
            std::vector<float>& tile = tiles[std::size_t(column / tileCells)];
            for (const auto& v : cell)
                tile.insert(tile.end(), v, v + 4);
            s = s + ds;
            if (s >= kTexRestart)
                s = kTexStart;
        }
        t = t + dt;
        if (t >= kTexRestart)
            t = kTexStart;
        ++row;
        if (row % tileCells != 0 && z + int(kCellSize) < highZ)
            continue;
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            std::vector<float>& tile = tiles[i];
            const float lowest[3] = {float(int(lowX) + int(i) * tileCells * int(kCellSize)), y,
                                     float(bandLowZ)};
            const float highest[3] = {std::min(lowest[0] + float(tileCells) * kCellSize,
                                               float(int(lowX) + columns * int(kCellSize))),
                                      y, float(z) + kCellSize};
            begin(lowest, highest);
            bindTexture();
            glBegin(GL_TRIANGLES);
            glNormal3f(0.0f, 1.0f, 0.0f);
            for (std::size_t k = 0; k < tile.size(); k += 4) {
                glTexCoord2f(tile[k], tile[k + 1]);
                glVertex3f(tile[k + 2], y, tile[k + 3]);
            }
            glEnd();
            glEnable(GL_TEXTURE_2D);
            end();
            tile.clear();
        }
        bandLowZ = z + int(kCellSize);
    }
}

void Quad::draw() {
    float s = kTexStart;
    float t = kTexStart;
    const float ds = cellStep(width, repeatX);
    const float dt = cellStep(height, repeatZ);
    bindTexture();
    if (!drawableGrid()) {
        glEnable(GL_TEXTURE_2D);
        return;
    }
    const double cells = gridCells();

    const float y = position.y;
    const float lowX = position.x - width / 2;
    const float highX = position.x + width / 2;
    const float lowZ = position.z - height / 2;
    const float highZ = position.z + height / 2;
    if (cells > 0) {
        // One block of triangles for the whole grid: the cells stay (per-vertex
        // lighting, a flashlight's spot, needs them), the per-triangle
        // glBegin/glEnd and repeated normals go. The normal is (0, 1, 0) throughout.
        // clang-format off
        glBegin(GL_TRIANGLES);
        glNormal3f(0.0f, 1.0f, 0.0f);
        for (int z = int(lowZ); z < highZ; z += int(kCellSize)) {
            for (int x = int(lowX); x < highX; x += int(kCellSize)) {
                const float x0 = float(x), x1 = float(x) + kCellSize;
                const float z0 = float(z), z1 = float(z) + kCellSize;
                glTexCoord2f(s, t);
                glVertex3f(x0, y, z0);
                glTexCoord2f(s, t + dt);
                glVertex3f(x0, y, z1);
                glTexCoord2f(s + ds, t);
                glVertex3f(x1, y, z0);

                glTexCoord2f(s + ds, t);
                glVertex3f(x1, y, z0);
                glTexCoord2f(s, t + dt);
                glVertex3f(x0, y, z1);
                glTexCoord2f(s + ds, t + dt);
                glVertex3f(x1, y, z1);
                s = s + ds;
                if (s >= kTexRestart)
                    s = kTexStart;
            }
            // s carries on into the next row.
            t = t + dt;
            if (t >= kTexRestart)
                t = kTexStart;
        }
        glEnd();
        // clang-format on
    }
    glEnable(GL_TEXTURE_2D);
}
