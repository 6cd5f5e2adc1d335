// The 3DS reader on files written byte by byte: what a whole file gives, and
// what each kind of damage keeps.
#include "model3ds/normals3ds.h"
#include "model3ds/reader3ds.h"
#include "tests/model3ds/fixtures3ds.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

using Floats = std::vector<float>;

static Reader3DS read(const std::string& bytes) {
    Reader3DS reader;
    reader.read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return reader;
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
}

// The records view the bytes they were read from, a mapped file or a copy
// of a buffer: they stay whole when the reader, its next read, the file and
// the caller's buffer are gone.
TEST(Reader3DS, RecordsOutliveTheReaderAndTheBytesTheyWereReadFrom) {
    using namespace fx;
    const std::string bytes =
        file(material("m", 1, 0, 0) +
             object("t", vertices(3, {1, 2, 3, 4, 5, 6, 7, 8, 9}) + mapping(2, {0.5f, 1, 2, 4}) +
                             faces(1, {0, 1, 2, 0}, group("m", 1, {0}))));
    char path[] = "/tmp/kolvar-reader-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fd);
    std::vector<Object3DS> fromFile, fromBuffer;
    {
        Reader3DS reader;
        reader.readFile(path);
        fromFile = std::move(reader.objects);
        auto buffer = std::make_unique<std::string>(bytes);
        reader.read(reinterpret_cast<const std::uint8_t*>(buffer->data()), buffer->size());
        fromBuffer = std::move(reader.objects);
        buffer->assign(buffer->size(), '\xff');
        reader.read(nullptr, 0);
    }
    std::remove(path);
    for (const std::vector<Object3DS>* objects : {&fromFile, &fromBuffer}) {
        ASSERT_EQ(objects->size(), 1u);
        const Object3DS& o = objects->front();
        EXPECT_EQ(o.vertices, (Floats{1, 3, -2, 4, 6, -5, 7, 9, -8}));
        EXPECT_EQ(o.texCoords, (Floats{0.5f, 1, 2, 4, 0, 0})); // the third pair (0, 0)
        ASSERT_EQ(o.groups.size(), 1u);
        EXPECT_EQ(o.groups[0].drawn, std::vector<std::uint16_t>{0});
    }
}

// Drawing normals: a face's normal points to the side from which its corners
// run counterclockwise, and at a shared corner a face weighs with its area.
TEST(Reader3DS, VertexNormalsFaceOutwardAndWeighFacesByArea) {
    using namespace fx;
    // File axes, z up: face 0 (area 2) lies flat and faces up, face 1 (area
    // 0.5) stands in the plane x = 0 and faces +x; both share vertex 0.
    const Reader3DS reader =
        read(file(material("m", 1, 0, 0) +
                  object("w", vertices(5, {0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 1, 0, 0, 0, 1}) +
                                  faces(2, {0, 1, 2, 0, 0, 3, 4, 0}, group("m", 2, {0, 1})))));
    const float a = 1 / std::sqrt(17.0f); // (1, 4, 0) made unit length
    const Floats expected = {a, 4 * a, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0};
    const Floats normals = vertexNormals(reader.objects.at(0));
    ASSERT_EQ(normals.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(normals[i], expected[i], 1e-6f) << "component " << i;
}

// What a file gave, in short: "[material]..." then, per object, its name,
// vertex and face counts, and each group's material, face count and the
// vertex indices of the faces it draws.
static std::string summary(const Reader3DS& r) {
    std::string s;
    for (const Material3DS& m : r.materials)
        s += "[" + m.name + "]";
    for (const Object3DS& o : r.objects) {
        s += " " + o.name + " " + std::to_string(o.vertexCount()) + "/" +
             std::to_string(o.faceCount());
        for (const Group3DS& g : o.groups) {
            s += " " + std::to_string(g.material) + "/" + std::to_string(g.faces.size()) + ":";
            for (std::uint16_t f : g.drawn)
                for (std::uint16_t i : o.faces.record(f))
                    s += std::to_string(i);
        }
    }
    return s;
}

TEST(Reader3DS, DamagedFilesAreReportedAndKeepWhatIsConsistent) {
    using namespace fx;
    const std::string whole = twoObjects(), m = material("m", 1, 0, 0), x79(79, 'x');
    const std::string tri = vertices(3, {0, 0, 0, 1, 0, 0, 0, 0, 1});
    const std::string counts = // counts larger than their chunks hold
        file(m +
             object("v", vertices(9, {0, 0, 0, 1, 0, 0, 0, 0, 1}) + mapping(9, {0.5f, 1}) +
                             faces(1, {0, 1, 2, 0}, group("m", 4, {0}))) +
             object("f", tri + faces(5, {0, 1, 2, 0}, "")));
    const std::pair<std::string, std::string> cases[] = {
        // Cut short: what comes before the cut stays.
        {whole.substr(0, whole.size() - 20), "[red][blue] left 4/2 0/1:012 1/2:023012 right 3/0"},
        // A chunk longer than its parent ends that parent only; a length under 6 ends the walk.
        {file(m + triangle("a") +
              object("long",
                     chunk(0x4110, u16({3}) + f32({0, 0, 0}), 99999) + faces(1, {0, 1, 2, 0}, "")) +
              triangle("b")),
         "[m] a 3/1 0/1:012 long 2/0 b 3/1 0/1:012"},
        {file(m + triangle("kept") + chunk(0x4000, "", 2) + triangle("lost")),
         "[m] kept 3/1 0/1:012"},
        {counts, "[m] v 3/1 0/1:012 f 3/1"},
        // Faces naming a vertex past the count are left out of the groups.
        {file(m + object("t", tri + faces(3, {0, 1, 2, 0, 0, 1, 3, 0, 65535, 0, 1, 0},
                                          group("m", 3, {1, 0, 2})))),
         "[m] t 3/3 0/3:012"},
        // A name without its terminator ends at its chunk; names are cut at 79 bytes.
        {file(chunk(0xAFFF, chunk(0xA000, "abc")) + chunk(0x4000, "def")), "[abc] def 0/0"},
        {file(material(x79 + "yy", 1, 0, 0) + triangle(x79 + "zz", x79 + "yy")),
         "[" + x79 + "] " + x79 + " 3/1 0/1:012"},
        // A vertex at NaN leaves its faces out, as a missing vertex does.
        {file(m + object("n", vertices(4, {0, 0, 0, 1, 0, 0, 0, 0, 1, NAN, 0, 0}) +
                                  faces(2, {0, 1, 3, 0, 0, 1, 2, 0}, group("m", 2, {0, 1})))),
         "[m] n 4/2 0/2:012"},
    };
    for (const auto& [bytes, expected] : cases) {
        const Reader3DS reader = read(bytes);
        EXPECT_TRUE(reader.damaged()) << expected;
        EXPECT_EQ(summary(reader), expected);
    }
    EXPECT_EQ(read(counts).objects[0].texCoords, (Floats{0.5f, 1, 0, 0, 0, 0})); // a pair a vertex

    // 62 groups each naming all 65,535 faces of one triangle: the drawn
    // faces stop at the model's budget (the 9 MB file would make 4 GB of lists).
    std::string faceWords, numbers;
    for (int f = 0; f < 65535; ++f) {
        faceWords += u16({0, 1, 2, 0});
        numbers += le(std::uint32_t(f), 2);
    }
    std::string groups;
    for (int g = 0; g < 62; ++g)
        groups += chunk(0x4130, text("m") + u16({65535}) + numbers);
    const Reader3DS capped =
        read(file(m + object("c", tri + chunk(0x4120, u16({65535}) + faceWords + groups))));
    std::size_t drawn = 0;
    for (const Group3DS& group : capped.objects.at(0).groups)
        drawn += group.drawn.size();
    EXPECT_EQ(drawn, Reader3DS::kMaxDrawnFaces);
    EXPECT_EQ(capped.facesLeftOut, 62u * 65535 - Reader3DS::kMaxDrawnFaces);
}

// A model a few pages long: one object of 3000 vertices (36 KB) and a face.
static std::string pagesLongModel() {
    using namespace fx;
    std::string xyz;
    for (int v = 0; v < 3000; ++v)
        xyz += f32({float(v), 0, 1});
    return file(material("m", 1, 0, 0) +
                object("long", chunk(0x4110, u16({3000}) + xyz) +
                                   faces(1, {0, 1, 2, 0}, group("m", 1, {0}))));
}

namespace {
// What the test hook does to the file between its opening and its read, as
// an exporter saving it again at that moment does.
void (*change)(const char* path) = nullptr;
} // namespace

// A file cut short, emptied or grown by another program while it is read is
// named as changed and gives no records, and is read whole once the writer
// is done. Before, a file cut short faulted (SIGBUS) in the read.
TEST(Reader3DS, AFileChangedWhileItIsReadIsLeftOutAndReadWholeAfterwards) {
    const std::string bytes = pagesLongModel();
    char path[] = "/tmp/kolvar-changing-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::pair<const char*, void (*)(const char*)> changes[] = {
        {"cut to half", [](const char* p) { ASSERT_EQ(truncate(p, 18000), 0); }},
        {"emptied", [](const char* p) { ASSERT_EQ(truncate(p, 0), 0); }},
        {"grown", [](const char* p) { ASSERT_EQ(truncate(p, 80000), 0); }},
    };
    for (const auto& [what, how] : changes) {
        SCOPED_TRACE(what);
        {
            std::FILE* out = std::fopen(path, "wb");
            ASSERT_TRUE(out);
            ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
            std::fclose(out);
        }
        change = how;
        Reader3DS::testHookAfterOpen = [](const char* p) { change(p); };
        Reader3DS reader;
        EXPECT_FALSE(reader.readFile(path));
        Reader3DS::testHookAfterOpen = nullptr;
        EXPECT_TRUE(reader.changed);
        EXPECT_TRUE(reader.objects.empty() && reader.materials.empty());

        // The writer's last save: the next read finds the model whole.
        std::FILE* out = std::fopen(path, "wb");
        ASSERT_TRUE(out);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
        EXPECT_TRUE(reader.readFile(path));
        EXPECT_FALSE(reader.changed);
        ASSERT_EQ(reader.objects.size(), 1u);
        EXPECT_EQ(reader.objects[0].vertexCount(), 3000);
        EXPECT_EQ(reader.objects[0].vertices.record(2999)[0], 2999.0f);
    }
    std::remove(path);
}
