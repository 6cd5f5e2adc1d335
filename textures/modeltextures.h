// ModelTextures: the GL textures of 3DS model materials, one per distinct
// image file and one per distinct colour, shared by every material and model
// of a world that names the same file or colour. A hostile model with
// thousands of materials naming one image makes one texture, not thousands.
// Part of the world's texture store (TextureFactory::models); tied to the GL
// context current when it first made a texture (a different current context
// starts it afresh).
#pragma once

#include "textures/gltexture.h"

#include <GL/gl.h>
#include <cstdint>
#include <map>
#include <string>

class ModelTextures {
public:
    ModelTextures() = default;
    // Deletes its GL textures when the context they were made in is current.
    ~ModelTextures();
    ModelTextures(const ModelTextures&) = delete;
    ModelTextures& operator=(const ModelTextures&) = delete;

    // The texture of an image file (a path the caller found on disk), made
    // at the first call for that file. 0 when the file is refused or cannot
    // be read; problem then says why, on the first call for the file only,
    // and is left empty on later calls, so the reason is printed once.
    GLuint image(const std::string& path, std::string& problem);
    // The 2 x 2 texture of one colour, made at the first call for that colour.
    GLuint colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // GL textures made so far by this store.
    int textureCount() const { return made; }

private:
    void followContext();

    std::map<std::string, GLuint> images;    // canonical path -> texture, 0 when refused
    std::map<std::uint32_t, GLuint> colours; // 0xRRGGBB -> texture
    const void* context = nullptr;           // the GL context the names belong to
    int made = 0;
};
