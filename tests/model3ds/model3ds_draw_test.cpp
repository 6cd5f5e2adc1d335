// Model_3DS drawing: the groups of all objects merged per material give the
// very vertices (place, lit colour from the normals, texture coordinates)
// that drawing each object's groups one by one gave.
#include "model3ds/model3ds.h"
#include "model3ds/normals3ds.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"
#include "textures/texturefactory.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// The drawing before groups were merged: per object its arrays, per group
// one glDrawElements of the corners of its faces.
void drawGroupByGroup(const Reader3DS& reader) {
    for (const Object3DS& object : reader.objects) {
        const std::vector<float> normals = vertexNormals(object);
        const std::vector<float> vertices(object.vertices.begin(), object.vertices.end());
        const std::vector<float> texCoords(object.texCoords.begin(), object.texCoords.end());
        if (object.textured) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, normals.data());
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, vertices.data());
        for (const Group3DS& group : object.groups) {
            std::vector<std::uint16_t> indices;
            for (const std::uint16_t f : group.drawn)
                for (const std::uint16_t corner : object.faces.record(f))
                    indices.push_back(corner);
            glDrawElements(GL_TRIANGLES, GLsizei(indices.size()), GL_UNSIGNED_SHORT,
                           indices.data());
        }
    }
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

// The emitted vertices, lit, in a sorted list (the order of the batches is
// not that of the groups).
std::vector<std::vector<float>> emitted(const std::function<void()>& draw) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat direction[4] = {0.3f, 0.5f, 0.8f, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glTexCoord2f(0.25f, 0.75f); // what objects without mapping coordinates show
    std::vector<std::vector<float>> out;
    for (const testgl::Polygon& p : testgl::capture(draw)) {
        std::vector<float> triangle;
        for (const testgl::Vertex& v : p)
            triangle.insert(triangle.end(), {v.x, v.y, v.z, v.r, v.g, v.b, v.s, v.t});
        out.push_back(triangle);
    }
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Model3DSDraw, GroupsMergedPerMaterialEmitWhatDrawingThemOneByOneDid) {
    testgl::makeCurrent();
    testgl::TempWorkDir work;
    using namespace fx;
    // Two objects share "red" with a mapped one in between; an unmapped
    // object uses "blue" and a material that does not exist; vertices are
    // shared between groups of different materials.
    work.write("m.3ds",
               file(material("red", 1, 0, 0) + material("blue", 0, 0, 1) +
                    object("left", vertices(4, {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1}) +
                                       mapping(4, {0, 0, 1, 0, 1, 1, 0, 1}) +
                                       faces(2, {0, 1, 2, 0, 0, 2, 3, 0},
                                             group("red", 1, {0}) + group("blue", 2, {1, 0}))) +
                    object("right", vertices(4, {2, 0, 0, 3, 1, 0, 3, 0, 2, 2, 2, 1}) +
                                        faces(3, {0, 1, 2, 0, 1, 3, 2, 0, 0, 3, 1, 0},
                                              group("blue", 1, {1}) + group("none", 1, {0}) +
                                                  group("red", 2, {2, 1}))) +
                    object("far", vertices(3, {5, 5, 5, 6, 5, 5, 5, 6, 7}) +
                                      mapping(3, {0.5f, 0.5f, 1, 0, 0, 1}) +
                                      faces(1, {0, 1, 2, 0}, group("red", 1, {0})))));
    TextureFactory store;
    Model_3DS model;
    testgl::StdoutCapture quiet;
    model.load("m.3ds", store.models);
    ASSERT_EQ(model.getObjectCount(), 3);
    // red and blue mapped, then blue, none and red unmapped: one draw each.
    ASSERT_EQ(model.batches.size(), 5u);
    const auto merged = emitted([&] { model.draw(TObject(), store); });
    EXPECT_EQ(merged.size(), 8u);
    Reader3DS reader;
    reader.readFile("m.3ds"); // damaged: the group "none" names no material
    ASSERT_EQ(reader.objects.size(), 3u);
    EXPECT_EQ(merged, emitted([&] { drawGroupByGroup(reader); }));
}

// A model saved again between its read and the building of its batches
// (the records view the file): a face that now names a vertex past its
// object's is left out, not followed.
TEST(Model3DSDraw, AFaceRewrittenPastTheVerticesAfterTheReadIsLeftOut) {
    testgl::TempWorkDir work;
    using namespace fx;
    const std::string faceWords = u16({0, 2, 3, 0});
    const std::string bytes = file(
        material("m", 1, 0, 0) +
        object("q", vertices(4, {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1}) +
                        faces(2, {0, 1, 2, 0, 0, 2, 3, 0}, group("m", 2, {0, 1}))));
    work.write("q.3ds", bytes);
    Reader3DS reader;
    ASSERT_TRUE(reader.readFile("q.3ds"));
    std::fstream saved("q.3ds", std::ios::in | std::ios::out | std::ios::binary);
    saved.seekp(std::streamoff(bytes.find(faceWords) + 2)); // the second face's corner b
    saved.write("\xff\xff", 2);
    saved.close();
    Model_3DS model;
    model.prepareDrawing(reader.objects);
    ASSERT_EQ(model.batches.size(), 1u);
    EXPECT_EQ(model.batches[0].indices, (std::vector<unsigned>{0, 1, 2}));
}

} // namespace
