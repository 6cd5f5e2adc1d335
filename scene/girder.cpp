// Girder: six quadrilateral sides between eight corners, each side with its
// own texture, material and normal.
#include "scene/girder.h"

#include <GL/gl.h>
#include <iostream>

namespace {
constexpr int kSideCount = 6;
// The order in which draw emits the sides.
constexpr int kDrawOrder[kSideCount] = {SideFront,  SideBack,  SideTop,
                                        SideBottom, SideRight, SideLeft};
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
    std::cout << "------> " << side << " wordt op " << (on ? 1 : 0) << " gezet \n";
    texturedSides[side] = on;
}

void Girder::setTexture(int side, const std::string& key) {
    textures[side] = TextureRef(key);
    setTextured(side, true);
}

void Girder::setTextureAll(const std::string& key) {
    for (int side = 0; side < kSideCount; ++side)
        setTexture(side, key);
}

void Girder::setNormal(int side, FPoint normal) {
    normals[side] = normal;
}

bool Girder::hasNormal(int side) const {
    return normals.count(side) != 0;
}

void Girder::applyNormal(int side) const {
    auto normal = normals.find(side);
    if (normal != normals.end())
        glNormal3f(normal->second.x, normal->second.y, normal->second.z);
    else
        glNormal3f(0.0f, 0.0f, 0.0f);
}

void Girder::bindSideTexture(int side) const {
    auto textured = texturedSides.find(side);
    if (textured != texturedSides.end() && textured->second) {
        auto texture = textures.find(side);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture != textures.end() ? texture->second.name()
                                                               : TextureRef().name());
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void Girder::setMaterial(int side, Material material) {
    materials[side] = material;
}

void Girder::setMaterialAll(Material material) {
    for (int side = 0; side < kSideCount; ++side)
        setMaterial(side, material);
}

bool Girder::hasMaterial(int side) const {
    return materials.count(side) != 0;
}

void Girder::applyMaterial(int side) const {
    applyDefaultMaterial();
    auto material = materials.find(side);
    if (material != materials.end()) {
        // From here on the material, not the current colour, drives ambient and diffuse.
        glDisable(GL_COLOR_MATERIAL);
        material->second.apply();
    }
}

void Girder::applyRotation() const {
    if (rotation.y != 0.0f)
        glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    if (rotation.x != 0.0f)
        glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    if (rotation.z != 0.0f)
        glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
}

void Girder::draw() {
    // NOTE: no push/pop; the caller saves the model-view matrix around draw.
    applyRotation();
    GirderDrawState state;
    drawSides(state);
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

void Girder::endSides(GirderDrawState& state) {
    if (state.inQuads)
        glEnd();
    state.inQuads = false;
}

void Girder::drawSides(GirderDrawState& state) const {
    // Corners of each side in drawing order, with their texture coordinates (s, t).
    struct Corner {
        const FPoint* point;
        float s, t;
    };
    const FPoint& ftl = position;
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
        auto own = materials.find(side);
        const bool hasOwn = own != materials.end();
        const Material& material = hasOwn ? own->second : defaultMaterial;
        auto textured = texturedSides.find(side);
        const bool textureOn = textured != texturedSides.end() && textured->second;
        GLuint texture = 0;
        if (textureOn) {
            auto ref = textures.find(side);
            texture = ref != textures.end() ? ref->second.name() : TextureRef().name();
        }

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
