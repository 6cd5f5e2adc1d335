// TextureRef: a texture key resolved to its GL name, again only when the
// factory has changed.
#include "textures/textureref.h"

#include "textures/texturefactory.h"

GLuint TextureRef::name() const {
    const int loads = textureFactory ? textureFactory->loadCount() : 0;
    if (factory != textureFactory || factoryLoads != loads) {
        resolved = textureFactory ? textureFactory->getTextureId(keyText) : 0;
        factory = textureFactory;
        factoryLoads = loads;
    }
    return resolved;
}
