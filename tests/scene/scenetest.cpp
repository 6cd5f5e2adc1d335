// Helpers of the scene tests (see scenetest.h).
#include "tests/scene/scenetest.h"

#include "textures/texturefactory.h"

#include <GL/gl.h>
#include <QTemporaryDir>
#include <cmath>
#include <map>

namespace scenetest {

bool samePoint(const testgl::Vertex& a, const testgl::Vertex& b) {
    return std::fabs(a.x - b.x) < kTolerance && std::fabs(a.y - b.y) < kTolerance &&
           std::fabs(a.z - b.z) < kTolerance;
}

std::vector<testgl::Polygon> joinQuads(const std::vector<testgl::Polygon>& polygons) {
    std::vector<testgl::Polygon> quads;
    for (size_t i = 0; i < polygons.size(); ++i) {
        const testgl::Polygon& first = polygons[i];
        if (first.v.size() == 4) {
            quads.push_back(first);
            continue;
        }
        if (first.v.size() != 3 || i + 1 >= polygons.size())
            return {};
        const testgl::Polygon& second = polygons[++i];
        if (second.v.size() != 3 || !samePoint(first.v[1], second.v[0]) ||
            !samePoint(first.v[2], second.v[2]))
            return {};
        testgl::Polygon quad;
        quad.v = {first.v[0], first.v[1], second.v[1], second.v[2]};
        quads.push_back(quad);
    }
    return quads;
}

unsigned colourTexture(const std::string& key, unsigned rgb) {
    static QTemporaryDir dir;
    static std::map<std::string, unsigned> loaded;
    auto found = loaded.find(key);
    if (found != loaded.end())
        return found->second;
    const QString file = dir.path() + "/" + QString::fromStdString(key) + ".png";
    testgl::writePng(file, 2, 2, (rgb << 8) | 0xffu);
    textureFactory->loadTexture(key, file.toStdString());
    return loaded[key] = textureFactory->getTextureId(key);
}

std::array<int, 3> centrePixel(const std::function<void()>& view, const std::function<void()>& draw,
                               float extent) {
    testgl::makeCurrent();
    const int size = 64; // pixels; the widget is larger
    {
        testgl::OrthoView ortho(extent, size);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        view();
        draw();
    }
    glFinish();
    unsigned char px[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(size / 2, size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    glDisable(GL_DEPTH_TEST);
    return {px[0], px[1], px[2]};
}

} // namespace scenetest
