// TextureRef: a texture key of a blueprint, resolved to its GL texture name
// once rather than looked up on every draw. It looks again only when the
// store it is asked with has loaded a texture since (a key loaded again
// points to the new texture) or is another store.
#pragma once

#include <GL/gl.h>
#include <string>

class TextureFactory;

class TextureRef {
public:
    TextureRef() = default;
    explicit TextureRef(std::string key) : keyText(std::move(key)) {}

    const std::string& key() const { return keyText; }
    // The GL name of the key in textures; 0 (untextured) for an unknown key.
    GLuint name(const TextureFactory& textures) const;

private:
    std::string keyText;
    mutable const TextureFactory* factory = nullptr; // what name was resolved against
    mutable int factoryLoads = -1;                   // its load count then
    mutable GLuint resolved = 0;
};
