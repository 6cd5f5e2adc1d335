// The 3DS reader on files built from bytes: what a whole file gives, and what
// each kind of damage keeps, with the load's warning line.
#include "model3ds/model3ds.h"
#include "model3ds/normals3ds.h"
#include "model3ds/reader3ds.h"
#include "tests/model3ds/fixtures3ds.h"
#include "tests/support/gltest.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using Indices = std::vector<std::uint16_t>;
using Floats = std::vector<float>;

Reader3DS readBytes(const std::string& bytes) {
    Reader3DS reader;
    reader.read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return reader;
}

// Loads bytes saved as m.3ds into model; what the load printed.
std::string load(Model_3DS& model, const std::string& bytes) {
    testgl::TempWorkDir dir;
    dir.write("m.3ds", bytes);
    testgl::StdoutCapture out;
    model.load("m.3ds");
    return out.text();
}

const std::string kWholeLoad = "Model_3DS : m.3ds inladen is begonnen \n"
                               "Model_3DS : m.3ds inladen is gedaan \n";
const std::string kDamagedLoad =
    "Model_3DS : m.3ds inladen is begonnen \n"
    "Model_3DS : m.3ds is beschadigd, enkel de leesbare delen worden getoond \n"
    "Model_3DS : m.3ds inladen is gedaan \n";

// A file holding the given editor-block content.
std::string file(const std::string& editorContent) {
    Writer3DS w;
    w.beginFile();
            w.raw(editorContent);
        w.end();
    w.end();
    return w.bytes();
}

std::string object(const Writer3DS::Mesh& mesh) {
    Writer3DS w;
    w.object(mesh);
    return w.bytes();
}

// A file with the red material "m" and one mesh object.
std::string withRedMaterial(const Writer3DS::Mesh& mesh) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 0, 0);
            w.object(mesh);
        w.end();
    w.end();
    return w.bytes();
}

Writer3DS::Mesh triangle(const std::string& name, const std::string& material = "m") {
    Writer3DS::Mesh mesh;
    mesh.name = name;
    mesh.vertices = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    mesh.faces = {0, 1, 2};
    mesh.groups = {{material, {0}}};
    return mesh;
}

TEST(Reader3DS, ReadsHandWrittenBytesWithTheVertexAxesSwapped) {
    const unsigned char bytes[] = {0x4D, 0x4D, 0x2E, 0,    0, 0,         // main chunk, 46 bytes
                                   0x3D, 0x3D, 0x28, 0,    0, 0,         // editor, 40
                                   0x00, 0x40, 0x22, 0,    0, 0, 'a', 0, // object "a", 34
                                   0x00, 0x41, 0x1A, 0,    0, 0,         // mesh, 26
                                   0x10, 0x41, 0x14, 0,    0, 0, 1,   0, // vertices, 20: one vertex
                                   0,    0,    0x80, 0x3F, 0, 0, 0,   0x40,
                                   0,    0,    0x40, 0x40}; // 1.0, 2.0, 3.0
    Reader3DS reader;
    EXPECT_TRUE(reader.read(bytes, sizeof bytes));
    ASSERT_EQ(reader.objects.size(), 1u);
    EXPECT_EQ(reader.objects[0].name, "a");
    // z up in the file, y up in the world: (1, 2, 3) is held as (1, 3, -2).
    EXPECT_EQ(reader.objects[0].vertices, (Floats{1, 3, -2}));
    EXPECT_FALSE(reader.objects[0].textured);
    EXPECT_FALSE(reader.damaged());
}

TEST(Reader3DS, ReadsObjectsMaterialsMappingAndGroupsInFileOrder) {
    Reader3DS reader = readBytes(fixtures3ds::twoObjects());
    EXPECT_FALSE(reader.damaged()) << (reader.problems.empty() ? "" : reader.problems[0]);
    ASSERT_EQ(reader.materials.size(), 2u);
    EXPECT_EQ(reader.materials[0].name, "red");
    EXPECT_EQ(reader.materials[0].textureMap, "");
    EXPECT_EQ(reader.materials[1].name, "blue");
    EXPECT_EQ(reader.materials[1].textureMap, "BLUE.PNG");

    ASSERT_EQ(reader.objects.size(), 2u);
    const Object3DS& left = reader.objects[0];
    EXPECT_EQ(left.name, "left");
    EXPECT_EQ(left.vertexCount(), 4);
    EXPECT_TRUE(left.textured);
    EXPECT_EQ(left.texCoords, (Floats{0, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(left.faces, (Indices{0, 1, 2, 0, 2, 3}));
    // Groups copy the vertex indices of the faces they list, in their order.
    ASSERT_EQ(left.groups.size(), 2u);
    EXPECT_EQ(left.groups[0].material, 0);
    EXPECT_EQ(left.groups[0].indices, (Indices{0, 1, 2}));
    EXPECT_EQ(left.groups[1].material, 1);
    EXPECT_EQ(left.groups[1].indices, (Indices{0, 2, 3, 0, 1, 2}));

    const Object3DS& right = reader.objects[1];
    EXPECT_EQ(right.name, "right");
    EXPECT_FALSE(right.textured);
    EXPECT_TRUE(right.texCoords.empty());
    ASSERT_EQ(right.groups.size(), 1u);
    EXPECT_EQ(right.groups[0].indices, (Indices{0, 1, 2}));
}

TEST(Reader3DS, ReadsTheFirstFloatOrByteColourOfABlockAndClampsOutOfRangeFloats) {
    Writer3DS w;
    w.beginFile();
            w.material("float", 0.5f, 0.25f, 1.0f);
            w.begin(0xAFFF);
                w.begin(0xA020);
                    w.begin(0x0011);
                        w.u8(10);
                        w.u8(20);
                        w.u8(30);
                    w.end();
                    w.begin(0x0012); // its linear twin, as exporters write it
                        w.u8(40);
                        w.u8(50);
                        w.u8(60);
                    w.end();
                w.end();
            w.end();
            w.material("wild", -1.0f, 7.0f, std::nanf(""));
            w.begin(0xAFFF); // gamma-corrected kinds; the second colour is not read
                w.begin(0xA020);
                    w.begin(0x0013);
                        w.f32(1.0f);
                        w.f32(1.0f);
                        w.f32(1.0f);
                    w.end();
                    w.begin(0x0012);
                        w.u8(1);
                        w.u8(2);
                        w.u8(3);
                    w.end();
                w.end();
            w.end();
            w.begin(0xAFFF); // no colour at all
            w.end();
        w.end();
    w.end();
    Reader3DS reader = readBytes(w.bytes());
    ASSERT_EQ(reader.materials.size(), 5u);
    auto colour = [&](int m) {
        const std::uint8_t* c = reader.materials[m].colour;
        return std::vector<int>{c[0], c[1], c[2], c[3]};
    };
    EXPECT_EQ(colour(0), (std::vector<int>{127, 63, 255, 255}));
    EXPECT_EQ(colour(1), (std::vector<int>{10, 20, 30, 255}));
    EXPECT_EQ(colour(2), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(colour(3), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(colour(4), (std::vector<int>{0, 0, 0, 255}));
    EXPECT_EQ(reader.materials[1].name, "");
    EXPECT_FALSE(reader.damaged());
}

TEST(Reader3DS, SharedVertexGetsTheNormalisedAreaWeightedSumOfItsFaceNormals) {
    // World (y up) corners, written in file axes: world (X, Y, Z) is file (X, -Z, Y).
    auto fileVertex = [](float x, float y, float z) { return Floats{x, -z, y}; };
    Writer3DS::Mesh mesh;
    mesh.name = "corner";
    for (const Floats& v : {fileVertex(0, 0, 0), fileVertex(1, 0, 0), fileVertex(0, 0, 1),
                            fileVertex(0, 0, 2), fileVertex(0, 2, 0)})
        mesh.vertices.insert(mesh.vertices.end(), v.begin(), v.end());
    // Face 0 lies in the ground plane (N = (B-C) x (B-A) = (0, -1, 0)); face 1
    // in the x = 0 plane, four times the area (N = (-4, 0, 0)).
    mesh.faces = {0, 1, 2, 0, 3, 4};
    Reader3DS reader = readBytes(file(object(mesh)));
    ASSERT_EQ(reader.objects.size(), 1u);
    const Floats n = vertexNormals(reader.objects[0]);
    ASSERT_EQ(n.size(), 15u);
    const float s = std::sqrt(17.0f);
    EXPECT_NEAR(n[0], -4 / s, 1e-6f);
    EXPECT_NEAR(n[1], -1 / s, 1e-6f);
    EXPECT_NEAR(n[2], 0, 1e-6f);
    EXPECT_NEAR(n[4], -1, 1e-6f); // vertex 1: face 0 only
    EXPECT_NEAR(n[9], -1, 1e-6f); // vertex 3: face 1 only
    // An object without groups has nothing to draw, but its mesh is read.
    EXPECT_TRUE(reader.objects[0].groups.empty());
    EXPECT_FALSE(reader.damaged());
}

TEST(Reader3DS, VertexOfNoFaceKeepsAZeroNormal) {
    Writer3DS::Mesh mesh = triangle("t");
    mesh.vertices.insert(mesh.vertices.end(), {5, 5, 5});
    Reader3DS reader = readBytes(file(object(mesh)));
    ASSERT_EQ(reader.objects.size(), 1u);
    const Floats n = vertexNormals(reader.objects[0]);
    ASSERT_EQ(n.size(), 12u);
    EXPECT_EQ((Floats{n[9], n[10], n[11]}), (Floats{0, 0, 0}));
}

TEST(Reader3DS, MaterialWithTwoTextureMapsKeepsTheLast) {
    Writer3DS w;
    w.beginFile();
            w.begin(0xAFFF);
                w.begin(0xA000);
                    w.name("two");
                w.end();
                for (const char* map : {"first.png", "second.png"}) {
                    w.begin(0xA200);
                        w.begin(0xA300);
                            w.name(map);
                        w.end();
                    w.end();
                }
            w.end();
        w.end();
    w.end();
    Reader3DS reader = readBytes(w.bytes());
    ASSERT_EQ(reader.materials.size(), 1u);
    EXPECT_EQ(reader.materials[0].textureMap, "second.png");
}

TEST(Reader3DS, GroupNamingAMaterialTwiceDefinedTakesTheFirst) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 0, 0);
            w.material("m", 0, 1, 0);
            w.raw(object(triangle("t", "m")));
        w.end();
    w.end();
    Reader3DS reader = readBytes(w.bytes());
    ASSERT_EQ(reader.objects.size(), 1u);
    ASSERT_EQ(reader.objects[0].groups.size(), 1u);
    EXPECT_EQ(reader.objects[0].groups[0].material, 0);
}

TEST(Reader3DS, FileThatCannotBeOpenedIsReportedAsSuch) {
    Reader3DS reader;
    EXPECT_FALSE(reader.readFile("/nonexistent/m.3ds"));
    EXPECT_FALSE(reader.opened);
    EXPECT_FALSE(reader.readFile("/")); // a directory is not a model
    EXPECT_FALSE(reader.opened);
}

// Damaged files: each keeps what is consistent and the load says it is damaged.

TEST(DamagedFile, TruncatedHeaderKeepsNothing) {
    Model_3DS model;
    EXPECT_EQ(load(model, std::string("\x4d\x4d\x10", 3)), kDamagedLoad);
    EXPECT_EQ(model.getObjectCount(), 0);
    EXPECT_EQ(model.getMaterialCount(), 0);
}

TEST(DamagedFile, TruncatedFileKeepsTheObjectsBeforeTheCut) {
    const std::string whole = fixtures3ds::twoObjects();
    Model_3DS model;
    EXPECT_EQ(load(model, whole.substr(0, whole.size() - 20)), kDamagedLoad);
    ASSERT_EQ(model.getMaterialCount(), 2);
    ASSERT_GE(model.getObjectCount(), 1);
    const Object3DS& left = model.objects[0];
    EXPECT_EQ(left.vertexCount(), 4);
    ASSERT_EQ(left.groups.size(), 2u);
    EXPECT_EQ(left.groups[1].indices, (Indices{0, 2, 3, 0, 1, 2}));
}

TEST(DamagedFile, ChunkLongerThanItsParentEndsThatParentOnly) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 0, 0);
            w.raw(object(triangle("before")));
            w.begin(0x4000);
                w.name("long");
                w.begin(0x4100);
                    w.begin(0x4110);
                        w.u16(3);
                        for (float v : {0, 0, 0, 1, 0, 0, 0, 0, 1})
                            w.f32(v);
                    w.endWithLength(100000); // reaches past the mesh, the object and the file
                    w.begin(0x4120);         // lost: inside the cut vertex chunk
                        w.u16(1);
                        for (int i : {0, 1, 2, 0})
                            w.u16(std::uint16_t(i));
                    w.end();
                w.end();
            w.end();
            w.raw(object(triangle("after")));
        w.end();
    w.end();
    Model_3DS model;
    EXPECT_EQ(load(model, w.bytes()), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 3);
    EXPECT_EQ(model.objects[0].name, "before");
    EXPECT_EQ(model.objects[0].groups[0].indices, (Indices{0, 1, 2}));
    EXPECT_EQ(model.objects[1].name, "long");
    EXPECT_EQ(model.objects[1].vertexCount(), 3); // its count fits in what is left
    EXPECT_EQ(model.objects[1].faceCount(), 0);
    EXPECT_EQ(model.objects[2].name, "after");
    EXPECT_EQ(model.objects[2].groups[0].indices, (Indices{0, 1, 2}));
}

TEST(DamagedFile, LengthUnderSixEndsTheWalkOfItsParent) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 0, 0);
            w.raw(object(triangle("kept")));
            w.begin(0x4000);
            w.endWithLength(2);
            w.raw(object(triangle("lost")));
        w.end();
    w.end();
    Model_3DS model;
    EXPECT_EQ(load(model, w.bytes()), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_EQ(model.objects[0].name, "kept");
    EXPECT_EQ(model.getMaterialCount(), 1);
}

TEST(DamagedFile, CountsLargerThanTheirChunkReadOnlyWhatFits) {
    Writer3DS w;
    w.beginFile();
            w.material("m", 1, 0, 0);
            w.begin(0x4000);
                w.name("v");
                w.begin(0x4100);
                    w.begin(0x4110);
                        w.u16(9); // three written
                        for (float v : {0, 0, 0, 1, 0, 0, 0, 0, 1})
                            w.f32(v);
                    w.end();
                    w.begin(0x4140);
                        w.u16(9); // two written
                        for (float v : {0.5f, 0.25f, 1.0f, 1.0f})
                            w.f32(v);
                    w.end();
                    w.begin(0x4120);
                        w.u16(1);
                        for (int i : {0, 1, 2, 0})
                            w.u16(std::uint16_t(i));
                        w.begin(0x4130);
                            w.name("m");
                            w.u16(4); // one written
                            w.u16(0);
                        w.end();
                    w.end();
                w.end();
            w.end();
            w.begin(0x4000);
                w.name("f");
                w.begin(0x4100);
                    w.begin(0x4110);
                        w.u16(3);
                        for (float v : {0, 0, 0, 1, 0, 0, 0, 0, 1})
                            w.f32(v);
                    w.end();
                    w.begin(0x4120);
                        w.u16(5); // one written
                        for (int i : {0, 1, 2, 0})
                            w.u16(std::uint16_t(i));
                    w.end();
                w.end();
            w.end();
        w.end();
    w.end();
    Model_3DS model;
    EXPECT_EQ(load(model, w.bytes()), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 2);
    const Object3DS& v = model.objects[0];
    EXPECT_EQ(v.vertexCount(), 3);
    EXPECT_EQ(v.texCoords, (Floats{0.5f, 0.25f, 1, 1, 0, 0})); // a pair for every vertex
    EXPECT_EQ(v.normals.size(), 9u);
    ASSERT_EQ(v.groups.size(), 1u);
    EXPECT_EQ(v.groups[0].faces, (Indices{0}));
    EXPECT_EQ(v.groups[0].indices, (Indices{0, 1, 2}));
    const Object3DS& f = model.objects[1];
    EXPECT_EQ(f.faces, (Indices{0, 1, 2}));
    EXPECT_TRUE(f.groups.empty());
}

TEST(DamagedFile, FaceNamingAVertexPastTheCountIsLeftOut) {
    Writer3DS::Mesh mesh = triangle("t");
    mesh.faces = {0, 1, 2, 0, 1, 3, 65535, 0, 1};
    mesh.groups = {{"m", {1, 0, 2}}};
    const std::string bytes = withRedMaterial(mesh);
    Model_3DS model;
    EXPECT_EQ(load(model, bytes), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 1);
    const Object3DS& t = model.objects[0];
    EXPECT_EQ(t.faceCount(), 3);
    EXPECT_EQ(t.groups[0].indices, (Indices{0, 1, 2}));
    // The normals come from the one valid face, in the world's x-y plane:
    // (B - C) x (B - A) = (1, -1, 0) x (1, 0, 0) = (0, 0, 1).
    EXPECT_EQ((Floats{t.normals[0], t.normals[1], t.normals[2]}), (Floats{0, 0, 1}));
}

TEST(DamagedFile, GroupFaceNumberPastTheFaceCountIsLeftOut) {
    Writer3DS::Mesh mesh = triangle("t");
    mesh.groups = {{"m", {1, 0, 400}}};
    const std::string bytes = withRedMaterial(mesh);
    Model_3DS model;
    EXPECT_EQ(load(model, bytes), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_EQ(model.objects[0].groups[0].faces, (Indices{1, 0, 400}));
    EXPECT_EQ(model.objects[0].groups[0].indices, (Indices{0, 1, 2}));
}

TEST(DamagedFile, GroupNamingNoMaterialKeepsItsFacesWithoutMaterial) {
    const std::string bytes = withRedMaterial(triangle("t", "nope"));
    Model_3DS model;
    EXPECT_EQ(load(model, bytes), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_EQ(model.objects[0].groups[0].material, -1);
    EXPECT_EQ(model.objects[0].groups[0].indices, (Indices{0, 1, 2}));
}

TEST(DamagedFile, NameWithoutTerminatorEndsAtItsChunk) {
    Writer3DS w;
    w.beginFile();
            w.begin(0xAFFF);
                w.begin(0xA000);
                    w.raw("abc");
                w.end();
                w.begin(0xA020);
                    w.begin(0x0011);
                        w.u8(1);
                        w.u8(2);
                        w.u8(3);
                    w.end();
                w.end();
            w.end();
            w.begin(0x4000);
                w.raw("unterminated object name");
            w.end();
        w.end();
    w.end();
    Model_3DS model;
    EXPECT_EQ(load(model, w.bytes()), kDamagedLoad);
    ASSERT_EQ(model.getMaterialCount(), 1);
    EXPECT_EQ(model.materials[0].record.name, "abc");
    EXPECT_EQ(model.materials[0].record.colour[2], 3); // the chunk after the name is read
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_EQ(model.objects[0].name, "unterminated object name");
}

TEST(DamagedFile, NamesLongerThan79BytesAreCutAndStillMatch) {
    const std::string longName(100, 'x');
    Writer3DS w;
    w.beginFile();
            w.material(longName, 1, 0, 0);
            w.object(triangle(longName, longName));
        w.end();
    w.end();
    Model_3DS model;
    EXPECT_EQ(load(model, w.bytes()), kDamagedLoad);
    ASSERT_EQ(model.getObjectCount(), 1);
    EXPECT_EQ(model.objects[0].name, std::string(79, 'x'));
    EXPECT_EQ(model.materials[0].record.name, std::string(79, 'x'));
    // The reading goes on after the whole name: the mesh and group are intact.
    EXPECT_EQ(model.objects[0].groups[0].material, 0);
    EXPECT_EQ(model.objects[0].groups[0].indices, (Indices{0, 1, 2}));
}

TEST(Reader3DS, NameOf79BytesIsKeptWhole) {
    Writer3DS w;
    w.beginFile();
            w.object(triangle(std::string(79, 'y')));
        w.end();
    w.end();
    Reader3DS reader = readBytes(w.bytes());
    ASSERT_EQ(reader.objects.size(), 1u);
    EXPECT_EQ(reader.objects[0].name, std::string(79, 'y'));
    // Only the group's unknown material is a problem here.
    EXPECT_EQ(reader.problemCount, 1u);
}

TEST(DamagedFile, ProblemLinesAreCappedButAllCounted) {
    Writer3DS w;
    w.beginFile();
            for (int i = 0; i < 200; ++i)
                w.object(triangle("t" + std::to_string(i), "none"));
        w.end();
    w.end();
    Reader3DS reader = readBytes(w.bytes());
    EXPECT_EQ(reader.objects.size(), 200u);
    EXPECT_EQ(reader.problemCount, 200u);
    EXPECT_EQ(reader.problems.size(), Reader3DS::kMaxProblems);
    EXPECT_NE(reader.problems[0].find("\"t0\""), std::string::npos) << reader.problems[0];
}

} // namespace
