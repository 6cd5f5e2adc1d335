// Quad: draws a horizontal textured rectangle as a grid of 2 x 2 unit cells.
#include "scene/quad.h"

#include "mapfile/worldrules.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

namespace {

using WorldRules::drawableEdge;
using WorldRules::kCellSize; // world units along x and z
using WorldRules::kMaxCells;
constexpr float kTexStart = 0.01f;   // first texture coordinate of a slice
constexpr double kTexSpan = 0.98;    // texture span of one repeat
constexpr float kTexRestart = 0.97f; // a coordinate at or past this starts again

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

// The corners of a cell's two triangles in drawing order: texture s, t, then
// x, z. The cell's corner at (x, z) has texture coordinates (s, t).
using CellCorners = float[6][4];
void cellCorners(float s, float t, float ds, float dt, float x, float z, CellCorners& out) {
    const float x1 = x + kCellSize, z1 = z + kCellSize;
    const CellCorners corners = {{s, t, x, z},       {s, t + dt, x, z1}, {s + ds, t, x1, z},
                                 {s + ds, t, x1, z}, {s, t + dt, x, z1}, {s + ds, t + dt, x1, z1}};
    std::copy(&corners[0][0], &corners[0][0] + 24, &out[0][0]);
}

// Walks the cells of a grid from lowX, lowZ (truncated to whole units) row by
// row along z, each row along x: cell(column, s, t, x, z) for each cell,
// then rowEnd(z) after each row. A texture coordinate runs on from cell to
// cell, s into the next row too, and starts again at kTexStart once it
// reaches kTexRestart: each repeat of the picture is its own slice.
template <class Cell, class RowEnd>
void walkCells(float lowX, float highX, float lowZ, float highZ, float ds, float dt, Cell&& cell,
               RowEnd&& rowEnd) {
    float s = kTexStart;
    float t = kTexStart;
    for (int z = int(lowZ); z < highZ; z += int(kCellSize)) {
        int column = 0;
        for (int x = int(lowX); x < highX; x += int(kCellSize), ++column) {
            cell(column, s, t, float(x), float(z));
            s = s + ds;
            if (s >= kTexRestart)
                s = kTexStart;
        }
        t = t + dt;
        if (t >= kTexRestart)
            t = kTexStart;
        rowEnd(z);
    }
}

} // namespace

void Quad::setTexture(const std::string& key) {
    texture = TextureRef(key);
    textured = true;
}

void Quad::bindTexture(const TextureFactory& textures) const {
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture.name(textures));
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

Quad::Grid Quad::gridAt(const TObject& placement) const {
    Grid grid;
    grid.centre = placement.position;
    grid.width = width;
    grid.height = height;
    grid.repeatX = repeatX;
    grid.repeatZ = repeatZ;
    return grid;
}

double Quad::cellsOf(const Grid& grid) {
    return WorldRules::cellsOf(grid.centre.x, grid.centre.z, grid.width, grid.height);
}

Bounds Quad::bounds(const TObject& placement) const {
    // A road piece's length comes from the placement's scale.
    const Grid grid = gridAt(placement);
    const float w = grid.width, d = grid.height;
    const FPoint& p = grid.centre;
    Bounds bounds;
    bounds.box.add(std::trunc(p.x - w / 2) - kCellSize, p.y, std::trunc(p.z - d / 2) - kCellSize);
    bounds.box.add(p.x + w / 2 + kCellSize, p.y, p.z + d / 2 + kCellSize);
    bounds.sphere = bounds.box.sphere();
    return bounds;
}

double Quad::gridCells(const TObject& placement) const {
    return cellsOf(gridAt(placement));
}

bool Quad::drawableGrid(const Grid& grid) {
    const std::string named = name.empty() ? std::string() : name + " ";
    if (grid.width < 0 || grid.height < 0) {
        if (!refused)
            std::cout << "Quad " << named << "heeft een negatieve maat (" << grid.width << " x "
                      << grid.height << "): wordt niet getekend \n";
        refused = true;
        return false;
    }
    if (cellsOf(grid) > double(kMaxCells)) {
        if (!refused)
            std::cout << "Quad " << named << "van " << grid.width << " x " << grid.height
                      << " is te groot, meer dan " << kMaxCells
                      << " cellen: wordt niet getekend \n";
        refused = true;
        return false;
    }
    return true;
}

void Quad::drawTiles(const TObject& placement, const TextureFactory& textures, int tileCells,
                     const std::function<void(const float*, const float*)>& begin,
                     const std::function<void()>& end) {
    const Grid grid = gridAt(placement);
    if (!drawableGrid(grid) || cellsOf(grid) == 0)
        return;
    const float ds = cellStep(grid.width, grid.repeatX);
    const float dt = cellStep(grid.height, grid.repeatZ);
    const float y = grid.centre.y;
    const float lowX = grid.centre.x - grid.width / 2;
    const float highX = grid.centre.x + grid.width / 2;
    const float lowZ = grid.centre.z - grid.height / 2;
    const float highZ = grid.centre.z + grid.height / 2;
    int columns = 0;
    for (int x = int(lowX); x < highX; x += int(kCellSize))
        ++columns;
    // One band of tileCells rows at a time: texture coordinates, x, z per vertex.
    std::vector<std::vector<float>> tiles(std::size_t((columns + tileCells - 1) / tileCells));
    int row = 0;
    int bandLowZ = int(lowZ);
    auto cell = [&](int column, float s, float t, float x, float z) {
        CellCorners corners;
        cellCorners(s, t, ds, dt, x, z, corners);
        std::vector<float>& tile = tiles[std::size_t(column / tileCells)];
        tile.insert(tile.end(), &corners[0][0], &corners[0][0] + 24);
    };
    auto rowEnd = [&](int z) {
        ++row;
        if (row % tileCells != 0 && z + int(kCellSize) < highZ)
            return;
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            std::vector<float>& tile = tiles[i];
            const float lowest[3] = {float(int(lowX) + int(i) * tileCells * int(kCellSize)), y,
                                     float(bandLowZ)};
            const float highest[3] = {std::min(lowest[0] + float(tileCells) * kCellSize,
                                               float(int(lowX) + columns * int(kCellSize))),
                                      y, float(z) + kCellSize};
            begin(lowest, highest);
            bindTexture(textures);
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
    };
    walkCells(lowX, highX, lowZ, highZ, ds, dt, cell, rowEnd);
}

void Quad::draw(const TObject& placement, const TextureFactory& textures) {
    const Grid grid = gridAt(placement);
    const float ds = cellStep(grid.width, grid.repeatX);
    const float dt = cellStep(grid.height, grid.repeatZ);
    bindTexture(textures);
    if (!drawableGrid(grid)) {
        glEnable(GL_TEXTURE_2D);
        return;
    }
    const FPoint& p = grid.centre;
    const float y = p.y;
    if (cellsOf(grid) > 0) {
        // One block of triangles for the whole grid: the cells stay (per-vertex
        // lighting, a flashlight's spot, needs them), the per-triangle
        // glBegin/glEnd and repeated normals go. The normal is (0, 1, 0) throughout.
        glBegin(GL_TRIANGLES);
        glNormal3f(0.0f, 1.0f, 0.0f);
        walkCells(
            p.x - grid.width / 2, p.x + grid.width / 2, p.z - grid.height / 2,
            p.z + grid.height / 2, ds, dt,
            [&](int, float s, float t, float x, float z) {
                CellCorners corners;
                cellCorners(s, t, ds, dt, x, z, corners);
                for (const float* corner : corners) {
                    glTexCoord2f(corner[0], corner[1]);
                    glVertex3f(corner[2], y, corner[3]);
                }
            },
            [](int) {});
        glEnd();
    }
    glEnable(GL_TEXTURE_2D);
}
