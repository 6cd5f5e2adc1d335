// ModelTextures: shared 3DS material textures keyed by canonical file path
// and by colour.
#include "textures/modeltextures.h"

#include <QDateTime>
#include <QFileInfo>
#include <QOpenGLContext>

ModelTextures::~ModelTextures() {
    if (!context || QOpenGLContext::currentContext() != context)
        return; // the names mean nothing in another context
    for (const auto& [key, name] : images)
        if (name)
            glDeleteTextures(1, &name);
    for (const auto& [colour, name] : colours)
        glDeleteTextures(1, &name);
}

// Texture names belong to one context; after a switch the old ones mean nothing.
void ModelTextures::followContext() {
    const void* current = QOpenGLContext::currentContext();
    if (current == context)
        return;
    images.clear();
    colours.clear();
    context = current;
}

GLuint ModelTextures::image(const std::string& path, std::string& problem) {
    followContext();
    problem.clear();
    const QFileInfo info(QString::fromStdString(path));
    // Size and time in the key too: a model of the same load that names the
    // file after it was rewritten gets the new image, not the old texture.
    const QString canonical = info.canonicalFilePath();
    const std::string key =
        (canonical.isEmpty() ? QString::fromStdString(path) : canonical).toStdString() + '\n' +
        std::to_string(info.size()) + '\n' +
        std::to_string(info.lastModified().toMSecsSinceEpoch());
    const auto known = images.find(key);
    if (known != images.end())
        return known->second;
    GLTexture texture;
    const ImageFileCheck check = texture.loadFile(path.c_str());
    if (check.kind != ImageFileCheck::Fine) {
        // The empty texture made for it is of no use to anyone.
        glDeleteTextures(1, &texture.name);
        problem = check.problem.toStdString();
        images[key] = 0;
        return 0;
    }
    ++made;
    images[key] = texture.name;
    return texture.name;
}

GLuint ModelTextures::colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    followContext();
    const std::uint32_t key = std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
    GLuint& name = colours[key];
    if (name == 0) {
        GLTexture texture;
        texture.createSolid(red, green, blue);
        name = texture.name;
        ++made;
    }
    return name;
}
