// Quad: a flat, horizontal, textured rectangle centred on position, drawn as
// a grid of 2 x 2 unit cells, two triangles a cell, the texture laid
// repeatX times across the width (x) and repeatZ times along the height (z).
// A quad too large to draw, or with a negative size, says so once and draws nothing.
#pragma once

#include "scene/tobject.h"
#include "textures/textureref.h"
#include <functional>
#include <string>

class Quad : public TObject {
public:
    // The rectangle drawn at a placement: its centre, its extents along x
    // and z, and how often the texture is laid along each.
    struct Grid {
        FPoint centre;
        float width = 0;
        float height = 0;
        float repeatX = 10;
        float repeatZ = 10;
    };

    Quad() = default;
    ~Quad() override = default;

    void setTexture(const std::string& key);
    // Binds the texture of texture when textured, else disables texturing.
    void bindTexture(const TextureFactory& textures) const;
    // The quad's own size and repeats, centred on placement's position.
    virtual Grid gridAt(const TObject& placement) const;
    void draw(const TObject& placement, const TextureFactory& textures) override;
    // The 2 x 2 cells draw would emit at placement; 0 when the grid cannot
    // be drawn (a negative or non-finite extent).
    double gridCells(const TObject& placement) const;
    // False, with a message once, when the grid at placement has a negative
    // size or more cells than one quad may have: then it is never drawn.
    bool drawableAt(const TObject& placement) { return drawableGrid(gridAt(placement)); }
    // The cells of draw cut into tiles of tileCells x tileCells cells, so
    // that each can be skipped on its own when out of view. Each tile is
    // emitted whole, as draw does (texture step, triangles, texturing on),
    // between begin(its lowest x, y, z, its highest x, y, z) and end(); the
    // vertices and texture coordinates are those of draw.
    void drawTiles(const TObject& placement, const TextureFactory& textures, int tileCells,
                   const std::function<void(const float*, const float*)>& begin,
                   const std::function<void()>& end);
    // The flat box of the grid at placement, one cell wider on every side
    // than the quad (the grid starts at whole units and ends a cell past it).
    Bounds bounds(const TObject& placement) const override;
    float getWidth(const TObject& placement) const override { return gridAt(placement).width; }
    float getHeight(const TObject&) const override { return 0; } // flat, whatever the box says
    float getDepth(const TObject& placement) const override { return gridAt(placement).height; }

    float width = 0;    // extent along x, world units
    float height = 0;   // extent along z (the map file calls it height)
    float repeatZ = 10; // texture repeats along z
    float repeatX = 10; // texture repeats along x
    TextureRef texture;
    bool textured = true;
    std::string name;     // the blueprint key, for messages; may be empty
    bool refused = false; // a refusal was printed for this blueprint: not again

private:
    // False, with a message once, when the grid has a negative size or too many cells.
    bool drawableGrid(const Grid& grid);
    static double cellsOf(const Grid& grid);
};
