// TextureFactory: reads image files with QImage into GL textures kept under
// string keys, numbered from 1, at most kMaxTextures of them.
#include "textures/texturefactory.h"

#include "console/narration.h"
#include "textures/gltexture.h"
#include "textures/imagecheck.h"

#include <GL/glu.h>
#include <QImage>
#include <QString>
#include <iostream>

namespace {

constexpr GLfloat kOpaqueAlpha = 1.0f; // alpha test reference: only fully opaque texels are drawn
constexpr GLint kComponents = 4;       // RGBA internal format of factory textures

// The image as 32-bit RGBA rows, bottom row first; null when it is refused
// or cannot be read (check says why).
QImage readGLImage(const std::string& file, ImageFileCheck& check) {
    const QImage image =
        readCheckedImage(QString::fromStdString(file), GLTexture::maxSide(), check);
    if (image.isNull())
        return QImage();
    return image.convertToFormat(QImage::Format_RGBA8888).mirrored();
}

} // namespace

TextureFactory::~TextureFactory() {
    for (int number = 1; number <= loaded; ++number)
        if (names[number])
            glDeleteTextures(1, &names[number]);
}

ImageFileCheck TextureFactory::loadTexture(const std::string& key, const std::string& file) {
    if (narration::on())
        std::cout << "Texture inladen : " << key << " \n";
    if (loaded >= kMaxTextures) {
        std::cout << "Er zijn reeds teveel textures ingeladen. Maximum aantal : " << kMaxTextures
                  << "\n";
        return ImageFileCheck();
    }
    const int number = ++loaded;

    // NOTE: global state, on from the first texture on: texels that are not
    // fully opaque cut holes into every textured surface.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_EQUAL, kOpaqueAlpha);

    numbers[key] = number;

    ImageFileCheck check;
    const QImage image = readGLImage(file, check);
    if (check.unreadable())
        std::cout << "Texture bestand kan niet gelezen worden : " << file << " \n";

    glGenTextures(1, &names[number]);
    glBindTexture(GL_TEXTURE_2D, names[number]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // NOTE: not a mipmap filter, so the levels built below are never sampled.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // An unreadable image leaves the texture empty: surfaces using it draw untextured.
    if (!image.isNull())
        gluBuild2DMipmaps(GL_TEXTURE_2D, kComponents, image.width(), image.height(), GL_RGBA,
                          GL_UNSIGNED_BYTE, image.constBits());
    return check;
}

GLuint TextureFactory::getTextureId(const std::string& key) const {
    auto it = numbers.find(key);
    if (it == numbers.end())
        return 0;
    return names[it->second];
}
