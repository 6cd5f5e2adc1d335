// TextureFactory: the one keyed store of GL textures made from image files.
// Map files load images under string keys; quads, roads and girders hold
// theirs as a TextureRef, resolved once. Reached through `textureFactory`.
#pragma once

#include "textures/imagecheck.h"

#include <GL/gl.h>
#include <map>
#include <string>

class TextureFactory {
public:
    static constexpr int kMaxTextures = 50;

    TextureFactory() = default;
    // Deletes its GL textures: the context they were made in must be current.
    virtual ~TextureFactory();

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

private:
    std::map<std::string, int> numbers;  // key -> texture number, from 1
    GLuint names[kMaxTextures + 1] = {}; // texture number -> GL name; slot 0 unused
    int loaded = 0;
};

// The process-wide factory; the canvas creates it before any map is read.
extern TextureFactory* textureFactory;
