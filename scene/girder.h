// Girder: a solid with eight named corners and six quadrilateral sides, each
// side with its own texture, material and normal. Corner names: front/back,
// top/bottom, left/right; the back corners' left and right are as seen from
// behind. position is the ftl corner.
#pragma once

#include "scene/material.h"
#include "scene/tobject.h"
#include "textures/textureref.h"
#include <GL/gl.h>
#include <map>
#include <string>

// Side numbers, the keys of the girder's side maps.
enum GirderSide {
    SideFront = 0,
    SideBack = 1,
    SideLeft = 2,
    SideRight = 3,
    SideTop = 4,
    SideBottom = 5
};

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
    // Note the order: fbr before fbl, bbr before bbl.
    Girder(FPoint ftl, FPoint ftr, FPoint fbr, FPoint fbl, FPoint btl, FPoint btr, FPoint bbr,
           FPoint bbl);
    ~Girder() override = default;

    void setTextured(int side, bool on); // prints the side's new flag
    void setTexture(int side, const std::string& key);
    void setTextureAll(const std::string& key);
    void setNormal(int side, FPoint normal);
    bool hasNormal(int side) const;
    void applyNormal(int side) const;
    void bindSideTexture(int side) const;
    void setMaterial(int side, Material material);
    void setMaterialAll(Material material);
    bool hasMaterial(int side) const;
    // The default material, then the side's own (which switches colour material off).
    void applyMaterial(int side) const;

    // Rotates about the world origin (y, x, z) without restoring the matrix.
    void draw() override;
    // Brings the corners in line with position (GirderRect rebuilds its box).
    virtual void updateCorners() {}
    // The rotations of draw, skipping those of 0 degrees (they leave the matrix as it is).
    void applyRotation() const;
    // The six sides of the current corners, sending only the state that differs from state.
    void drawSides(GirderDrawState& state) const;
    // Closes an open GL_QUADS block (before a matrix change, say).
    static void endSides(GirderDrawState& state);
    // What every girder leaves behind: texturing on, the default material.
    static void finishSides(GirderDrawState& state);

    FPoint ftr, fbl, fbr, btl, btr, bbl, bbr; // ftl is position
    std::map<int, TextureRef> textures; // side -> its texture key
    std::map<int, bool> texturedSides;
    std::map<int, Material> materials;
    std::map<int, FPoint> normals;
};
