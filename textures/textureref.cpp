// TextureRef: a texture key resolved to its GL name, again only when the
// store has changed.
#include "textures/textureref.h"

#include "textures/texturefactory.h"

GLuint TextureRef::name(const TextureFactory& textures) const {
    const int loads = textures.loadCount();
    if (factory != &textures || factoryLoads != loads) {
        resolved = textures.getTextureId(keyText);
        factory = &textures;
        factoryLoads = loads;
    }
    return resolved;
}
