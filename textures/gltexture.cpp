// GLTexture: one mipmapped GL texture of a 3DS model material, RGB, from an
// image file read by QImage or from a single colour.
#include "textures/gltexture.h"

#include <GL/glu.h>
#include <QImage>
#include <QString>

namespace {

constexpr GLint kComponents = 3; // RGB internal format: the image's alpha is dropped
constexpr int kSolidSide = 2;    // a one-colour texture is 2 x 2 texels

// Makes a new texture name the bound GL_TEXTURE_2D with the filters of model textures.
GLuint bindNewTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

} // namespace

ImageFileCheck GLTexture::loadFile(const char* file) {
    ImageFileCheck check;
    QImage image = readCheckedImage(QString::fromLocal8Bit(file ? file : ""), maxSide(), check);
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_RGBA8888).mirrored(); // GL rows: bottom first
    name = bindNewTexture();
    // An unreadable image leaves the texture empty: surfaces using it are drawn untextured.
    if (!image.isNull())
        gluBuild2DMipmaps(GL_TEXTURE_2D, kComponents, image.width(), image.height(), GL_RGBA,
                          GL_UNSIGNED_BYTE, image.constBits());
    return check;
}

void GLTexture::createSolid(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    std::uint8_t texels[kSolidSide * kSolidSide * 3];
    for (int i = 0; i < kSolidSide * kSolidSide; ++i) {
        texels[3 * i] = red;
        texels[3 * i + 1] = green;
        texels[3 * i + 2] = blue;
    }
    name = bindNewTexture();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of 6 bytes; left so afterwards
    gluBuild2DMipmaps(GL_TEXTURE_2D, kComponents, kSolidSide, kSolidSide, GL_RGB, GL_UNSIGNED_BYTE,
                      texels);
}

int GLTexture::maxSide() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    // Without a context GL reports nothing; the absolute cap applies then.
    return side > 0 ? int(side) : kMaxImageSide;
}

void GLTexture::bind() const {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
}
