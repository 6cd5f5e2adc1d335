// GLTexture: one GL texture for one material of a 3DS model, made from an
// image file or as a plain colour.
#pragma once

#include "textures/imagecheck.h"

#include <GL/gl.h>
#include <cstdint>

class GLTexture {
public:
    GLTexture() = default;
    // Copies the name only: the texture belongs to the store that made it
    // (ModelTextures), which deletes it; a GLTexture never does.

    // Builds the texture from an image file; a file refused by checkImageFile
    // (missing, not a regular file, too large, unreadable) gives an empty
    // texture. Returns the check, whose problem the caller may print.
    ImageFileCheck loadFile(const char* file);
    // Builds a 2 x 2 texture of one colour.
    void createSolid(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Enables GL_TEXTURE_2D and binds the texture.
    void bind() const;
    // Side of the largest texture the current GL context takes (GL_MAX_TEXTURE_SIZE).
    static int maxSide();

    GLuint name = 0; // GL texture name, 0 until built
};
