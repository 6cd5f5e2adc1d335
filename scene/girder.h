// Girder: a solid with eight named corners and six quadrilateral sides, each
// side with its own texture, material and normal. Corner names: front/back,
// top/bottom, left/right; the back corners' left and right are as seen from
// behind. position is the ftl corner.
#pragma once

#include "scene/material.h"
#include "scene/tobject.h"
#include <map>
#include <string>

// Side numbers, the keys of the girder's side maps.
enum GirderSide { SideFront = 0, SideBack = 1, SideLeft = 2, SideRight = 3, SideTop = 4, SideBottom = 5 };

// "top", "bottom", "left", "right", "front", "back"; anything else is the top side.
int sideFromName(const std::string& name);

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

    FPoint ftr, fbl, fbr, btl, btr, bbl, bbr; // ftl is position
    std::map<int, std::string> textureKeys;
    std::map<int, bool> texturedSides;
    std::map<int, Material> materials;
    std::map<int, FPoint> normals;
};
