// TextureFactory: a keyed store of GL textures made from image files, one per
// world, owned by whoever owns the world and handed to what draws. Map files
// load images under string keys; quads, roads and girders hold theirs as a
// TextureRef, resolved against the store they are drawn with.
#pragma once

#include "mapfile/worldrules.h"
#include "textures/imagecheck.h"
#include "textures/modeltextures.h"

#include <GL/gl.h>
#include <map>
#include <string>

class TextureFactory {
public:
    static constexpr int kMaxTextures = WorldRules::kMaxTextures;

    TextureFactory() = default;
    // Deletes its GL textures: the context they were made in must be current.
    ~TextureFactory();
    TextureFactory(const TextureFactory&) = delete;
    TextureFactory& operator=(const TextureFactory&) = delete;

    // Reads the image file (relative to the working directory) into a new GL
    // texture kept under key; a key loaded again points to the new texture.
    // Refused, with a message, once kMaxTextures textures are loaded. Returns
    // what the image check found (a refused or missing file makes an empty
    // texture); the map loader reports it with the map's place.
    ImageFileCheck loadTexture(const std::string& key, const std::string& file);
    // GL texture name for key; 0 (the untextured default) for an unknown key.
    GLuint getTextureId(const std::string& key) const;
    // Number of textures loaded so far (texture numbers run from 1).
    int loadCount() const { return loaded; }

    ModelTextures models; // the textures of the world's 3DS model materials

private:
    std::map<std::string, int> numbers;  // key -> texture number, from 1
    GLuint names[kMaxTextures + 1] = {}; // texture number -> GL name; slot 0 unused
    int loaded = 0;
};
