// Girder: six quadrilateral sides between eight corners, each side with its
// own texture, material and normal.
#include "scene/girder.h"

#include "console/narration.h"

#include <GL/gl.h>
#include <iostream>

namespace {
constexpr int kSideCount = kGirderSides;
// The order in which draw emits the sides.
constexpr int kDrawOrder[kSideCount] = {SideFront,  SideBack,  SideTop,
                                        SideBottom, SideRight, SideLeft};

bool validSide(int side) {
    return side >= 0 && side < kSideCount;
}
} // namespace

int sideFromName(const std::string& name) {
    if (name == "top")
        return SideTop;
    if (name == "bottom")
        return SideBottom;
    if (name == "left")
        return SideLeft;
    if (name == "right")
        return SideRight;
    if (name == "front")
        return SideFront;
    if (name == "back")
        return SideBack;
    return SideTop;
}

Girder::Girder(FPoint ftl, FPoint ftr, FPoint fbr, FPoint fbl, FPoint btl, FPoint btr, FPoint bbr,
               FPoint bbl)
    : ftr(ftr), fbl(fbl), fbr(fbr), btl(btl), btr(btr), bbl(bbl), bbr(bbr) {
    position = ftl;
    for (int side = 0; side < kSideCount; ++side)
        setTextured(side, false);
}

void Girder::setTextured(int side, bool on) {
    if (narration::on())
        std::cout << "------> " << side << " wordt op " << (on ? 1 : 0) << " gezet \n";
    if (validSide(side))
        texturedSides[std::size_t(side)] = on;
}

void Girder::setTexture(int side, const std::string& key) {
    if (validSide(side))
        textures[std::size_t(side)] = TextureRef(key);
    setTextured(side, true);
}

void Girder::setTextureAll(const std::string& key) {
    for (int side = 0; side < kSideCount; ++side)
        setTexture(side, key);
}

void Girder::setNormal(int side, FPoint normal) {
    if (validSide(side))
        normals[std::size_t(side)] = normal;
}

bool Girder::hasNormal(int side) const {
    return validSide(side) && normals[std::size_t(side)].has_value();
}

void Girder::applyNormal(int side) const {
    if (hasNormal(side)) {
        const FPoint& normal = *normals[std::size_t(side)];
        glNormal3f(normal.x, normal.y, normal.z);
    } else {
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
}

void Girder::bindSideTexture(int side, const TextureFactory& store) const {
    if (validSide(side) && texturedSides[std::size_t(side)]) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[std::size_t(side)].name(store));
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void Girder::setMaterial(int side, Material material) {
    if (validSide(side))
        materials[std::size_t(side)] = material;
}

void Girder::setMaterialAll(Material material) {
    for (int side = 0; side < kSideCount; ++side)
        setMaterial(side, material);
}

bool Girder::hasMaterial(int side) const {
    return validSide(side) && materials[std::size_t(side)].has_value();
}

void Girder::applyMaterial(int side) const {
    applyDefaultMaterial();
    if (hasMaterial(side)) {
        // From here on the material, not the current colour, drives ambient and diffuse.
        glDisable(GL_COLOR_MATERIAL);
        materials[std::size_t(side)]->apply();
    }
}

Bounds Girder::bounds(const TObject& placement) const {
    using BoundsMath::rotate;
    const Corners corners = cornersAt(placement.position);
    const FPoint& turn = placement.rotation;
    Bounds bounds;
    Box unturned;
    for (const FPoint& p : corners) {
        unturned.add(p.x, p.y, p.z);
        // draw turns the corners about the world origin: y, then x, then z
        // (the matrix Ry Rx Rz, so a point meets z first).
        float v[3] = {p.x, p.y, p.z};
        rotate(v, turn.z, 2);
        rotate(v, turn.x, 0);
        rotate(v, turn.y, 1);
        bounds.box.add(v[0], v[1], v[2]);
    }
    // The sphere around the unturned corners, its centre turned: it holds
    // the turned girder, and is tighter than one around the turned box.
    bounds.sphere = unturned.sphere();
    float centre[3] = {bounds.sphere.x, bounds.sphere.y, bounds.sphere.z};
    rotate(centre, turn.z, 2);
    rotate(centre, turn.x, 0);
    rotate(centre, turn.y, 1);
    bounds.sphere.x = centre[0], bounds.sphere.y = centre[1], bounds.sphere.z = centre[2];
    return bounds;
}

Girder::Corners Girder::cornersAt(const FPoint& ftl) const {
    return {ftl, ftr, fbr, fbl, btl, btr, bbr, bbl};
}

void Girder::applyRotation(const FPoint& rotation) {
    if (rotation.y != 0.0f)
        glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    if (rotation.x != 0.0f)
        glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    if (rotation.z != 0.0f)
        glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
}

void Girder::draw(const TObject& placement, const TextureFactory& store) {
    GirderDrawState state;
    glPushMatrix();
    applyRotation(placement.rotation);
    drawSides(cornersAt(placement.position), store, state);
    endSides(state);
    glPopMatrix();
    finishSides(state);
}

namespace {
bool sameMaterial(const Material& a, const Material& b) {
    for (int i = 0; i < 4; ++i)
        if (a.ambient[i] != b.ambient[i] || a.diffuse[i] != b.diffuse[i] ||
            a.specular[i] != b.specular[i])
            return false;
    return a.shininess == b.shininess;
}

} // namespace

void Girder::drawBatch(const std::vector<const TObject*>& placements,
                       const TextureFactory& textures) {
    GirderDrawState state;
    for (const TObject* placement : placements) {
        const Corners corners = cornersAt(placement->position);
        const FPoint& turn = placement->rotation;
        if (turn.x == 0.0f && turn.y == 0.0f && turn.z == 0.0f) {
            drawSides(corners, textures, state);
            continue;
        }
        // A girder turns about the world origin: keep the turn to itself.
        endSides(state);
        glPushMatrix();
        applyRotation(turn);
        drawSides(corners, textures, state);
        endSides(state);
        glPopMatrix();
    }
    finishSides(state);
}

void Girder::endSides(GirderDrawState& state) {
    if (state.inQuads)
        glEnd();
    state.inQuads = false;
}

void Girder::drawSides(const Corners& at, const TextureFactory& store,
                       GirderDrawState& state) const {
    // Corners of each side in drawing order, with their texture coordinates (s, t).
    struct Corner {
        const FPoint* point;
        float s, t;
    };
    const FPoint &ftl = at[0], &ftr = at[1], &fbr = at[2], &fbl = at[3], &btl = at[4], &btr = at[5],
                 &bbr = at[6], &bbl = at[7];
    const Corner corners[kSideCount][4] = {
        {{&fbl, 0, 0}, {&fbr, 1, 0}, {&ftr, 1, 1}, {&ftl, 0, 1}}, // front
        {{&bbl, 0, 0}, {&bbr, 1, 0}, {&btr, 1, 1}, {&btl, 0, 1}}, // back
        {{&bbr, 0, 0}, {&fbl, 1, 0}, {&ftl, 1, 1}, {&btr, 0, 1}}, // left
        {{&fbr, 0, 0}, {&bbl, 1, 0}, {&btl, 1, 1}, {&ftr, 0, 1}}, // right
        {{&ftl, 1, 1}, {&ftr, 0, 1}, {&btl, 0, 0}, {&btr, 1, 0}}, // top
        {{&fbr, 0, 1}, {&bbl, 0, 0}, {&bbr, 1, 0}, {&fbl, 1, 1}}, // bottom
    };
    const Material defaultMaterial;
    for (int side : kDrawOrder) {
        // A side is drawn with its own material (colour material off from
        // then on) or the default one, textured with its key's texture or not.
        const std::optional<Material>& own = materials[std::size_t(side)];
        const bool hasOwn = own.has_value();
        const Material& material = hasOwn ? *own : defaultMaterial;
        const bool textureOn = texturedSides[std::size_t(side)];
        const GLuint texture = textureOn ? textures[std::size_t(side)].name(store) : 0;

        const bool colourOff = hasOwn && !state.colourMaterialOff;
        const bool materialChange = !state.known || !sameMaterial(material, state.material);
        const bool textureChange =
            !state.known || textureOn != state.textureOn || (textureOn && texture != state.texture);
        if (colourOff || materialChange || textureChange)
            endSides(state);
        if (colourOff) {
            glDisable(GL_COLOR_MATERIAL);
            state.colourMaterialOff = true;
        }
        if (materialChange) {
            material.apply();
            state.material = material;
        }
        if (textureChange) {
            if (textureOn) {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, texture);
            } else {
                glDisable(GL_TEXTURE_2D);
            }
            state.textureOn = textureOn;
            state.texture = texture;
        }
        state.known = true;

        if (!state.inQuads) {
            glBegin(GL_QUADS);
            state.inQuads = true;
        }
        applyNormal(side);
        for (const Corner& corner : corners[side]) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.point->x, corner.point->y, corner.point->z);
        }
    }
}

void Girder::finishSides(GirderDrawState& state) {
    endSides(state);
    if (!state.known || !state.textureOn)
        glEnable(GL_TEXTURE_2D);
    if (!state.known || !sameMaterial(state.material, Material()))
        applyDefaultMaterial();
    state.textureOn = true;
    state.material = Material();
    state.known = true;
}
