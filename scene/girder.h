// Girder: a solid with eight named corners and six quadrilateral sides, each
// side with its own texture, material and normal. Corner names: front/back,
// top/bottom, left/right; the back corners' left and right are as seen from
// behind. position is the ftl corner.
#pragma once

#include "scene/material.h"
#include "scene/tobject.h"
#include "textures/textureref.h"
#include <GL/gl.h>
#include <array>
#include <optional>
#include <string>

// Side numbers, the indexes of the girder's side arrays.
enum GirderSide {
    SideFront = 0,
    SideBack = 1,
    SideLeft = 2,
    SideRight = 3,
    SideTop = 4,
    SideBottom = 5
};

constexpr int kGirderSides = 6;

// "top", "bottom", "left", "right", "front", "back"; anything else is the top side.
int sideFromName(const std::string& name);

// The GL state a run of girder sides has left behind, so that a list of many
// girders sends a texture or material only where it changes and keeps
// consecutive sides in one GL_QUADS block. Start each run (a display list, a
// direct draw) with a fresh one: nothing is known about the state before.
struct GirderDrawState {
    bool known = false;             // false: send everything for the next side
    bool textureOn = false;         // GL_TEXTURE_2D
    GLuint texture = 0;             // bound when textureOn
    Material material;              // last material sent
    bool colourMaterialOff = false; // GL_COLOR_MATERIAL disabled by a side's own material
    bool inQuads = false;           // between glBegin(GL_QUADS) and glEnd
};

class Girder : public TObject {
public:
    // The eight corners in the constructor's order: ftl, ftr, fbr, fbl, btl, btr, bbr, bbl.
    using Corners = std::array<FPoint, 8>;

    // Note the order: fbr before fbl, bbr before bbl.
    Girder(FPoint ftl, FPoint ftr, FPoint fbr, FPoint fbl, FPoint btl, FPoint btr, FPoint bbr,
           FPoint bbl);
    ~Girder() override = default;

    // The side setters ignore a side outside 0..5.
    void setTextured(int side, bool on); // prints the side's new flag
    void setTexture(int side, const std::string& key);
    void setTextureAll(const std::string& key);
    void setNormal(int side, FPoint normal);
    bool hasNormal(int side) const;
    void applyNormal(int side) const;
    void bindSideTexture(int side, const TextureFactory& textures) const;
    void setMaterial(int side, Material material);
    void setMaterialAll(Material material);
    bool hasMaterial(int side) const;
    // The default material, then the side's own (which switches colour material off).
    void applyMaterial(int side) const;

    // The corners at a placement: its position is the ftl corner, the other
    // seven are the girder's own (GirderRect builds its box around it).
    virtual Corners cornersAt(const FPoint& ftl) const;
    // The corners turned about the world origin as draw turns them.
    Bounds bounds(const TObject& placement) const override;
    // Turns about the world origin (y, x, z) and draws the sides at
    // placement; leaves the model-view matrix as it found it.
    void draw(const TObject& placement, const TextureFactory& textures) override;
    // Sends a texture or material only where it changes from one girder to
    // the next, and keeps their sides in few GL_QUADS blocks.
    void drawBatch(const std::vector<const TObject*>& placements,
                   const TextureFactory& textures) override;
    // The rotations of draw, skipping those of 0 degrees (they leave the matrix as it is).
    static void applyRotation(const FPoint& rotation);
    // The six sides between corners, sending only the state that differs from state.
    void drawSides(const Corners& corners, const TextureFactory& textures,
                   GirderDrawState& state) const;
    // Closes an open GL_QUADS block (before a matrix change, say).
    static void endSides(GirderDrawState& state);
    // What every girder leaves behind: texturing on, the default material.
    static void finishSides(GirderDrawState& state);

    FPoint ftr, fbl, fbr, btl, btr, bbl, bbr;                    // ftl is position
    std::array<TextureRef, kGirderSides> textures;               // side -> its texture key
    std::array<bool, kGirderSides> texturedSides{};              // side -> drawn textured
    std::array<std::optional<Material>, kGirderSides> materials; // side -> its own, if any
    std::array<std::optional<FPoint>, kGirderSides> normals;     // side -> its own, if any
};
