// Seeded mutations of valid 3DS files and a few hostile shapes, read under
// the sanitizers: none may crash, break the records' invariants (which the
// drawing relies on never to read outside an array) or allocate more than
// Reader3DS::kMaxRecordBytesPerFileByte times the file size.
#include "model3ds/normals3ds.h"
#include "model3ds/reader3ds.h"
#include "tests/model3ds/fixtures3ds.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <random>

namespace {

// Allocation accounting: every block carries its size and whether it was
// made while this thread was measuring; only those count.
constexpr std::size_t kBlockHeader = 16; // keeps the alignment of max_align_t
std::atomic<long long> measuredLive{0};
std::atomic<long long> measuredPeak{0};
thread_local bool measuring = false;

void* allocate(std::size_t size) {
    void* block = std::malloc(size + kBlockHeader);
    if (!block)
        return nullptr;
    auto* header = static_cast<std::size_t*>(block);
    header[0] = size;
    header[1] = measuring;
    if (measuring) {
        const long long live = measuredLive += (long long)size;
        long long peak = measuredPeak;
        while (live > peak && !measuredPeak.compare_exchange_weak(peak, live)) {
        }
    }
    return static_cast<char*>(block) + kBlockHeader;
}

void release(void* p) noexcept {
    if (!p)
        return;
    auto* header = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - kBlockHeader);
    if (header[1])
        measuredLive -= (long long)header[0];
    std::free(header);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}

namespace {

constexpr std::size_t kFixedBytes = 16 * 1024; // problem lines and lookup tables of any file

struct Measured {
    long long peakBytes = 0;
    bool damaged = false;
};

// Reads bytes into reader while measuring what the read allocates at its peak.
Measured readMeasured(Reader3DS& reader, const std::string& bytes) {
    const long long start = measuredLive;
    measuredPeak = start;
    measuring = true;
    reader.read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    measuring = false;
    return {measuredPeak - start, reader.damaged()};
}

// What the drawing and the map author's tool rely on, whatever the file.
void expectConsistent(const Reader3DS& reader, const std::string& label) {
    SCOPED_TRACE(label);
    EXPECT_LE(reader.problems.size(), Reader3DS::kMaxProblems);
    EXPECT_GE(reader.problemCount, reader.problems.size());
    for (const Material3DS& m : reader.materials) {
        EXPECT_LE(m.name.size(), Reader3DS::kMaxNameBytes);
        EXPECT_LE(m.textureMap.size(), Reader3DS::kMaxNameBytes);
    }
    for (const Object3DS& o : reader.objects) {
        const std::size_t vertices = std::size_t(o.vertexCount());
        ASSERT_LE(o.name.size(), Reader3DS::kMaxNameBytes);
        ASSERT_EQ(o.vertices.size() % 3, 0u);
        ASSERT_EQ(vertexNormals(o).size(), o.vertices.size());
        ASSERT_EQ(o.faces.size() % 3, 0u);
        if (o.textured) {
            ASSERT_GE(o.texCoords.size(), 2 * vertices);
        }
        for (const Group3DS& g : o.groups) {
            ASSERT_GE(g.material, -1);
            ASSERT_LT(g.material, int(reader.materials.size()));
            ASSERT_EQ(g.indices.size() % 3, 0u);
            ASSERT_LE(g.indices.size(), 3 * g.faces.size());
            for (std::uint16_t i : g.indices)
                ASSERT_LT(i, vertices);
        }
    }
}

// A seed with every chunk kind the reader knows, and some it skips.
std::string richSeed() {
    Writer3DS w;
    w.beginFile();
            w.begin(0x0002); // version, skipped
                w.u32(3);
            w.end();
            w.material("paint", 0.8f, 0.1f, 0.1f);
            w.material("glass", 0.2f, 0.3f, 0.9f, "GLASS.PNG");
            w.begin(0xAFFF);
                w.begin(0xA000);
                    w.name("bytes");
                w.end();
                w.begin(0xA020);
                    w.begin(0x0011);
                        w.u8(1);
                        w.u8(2);
                        w.u8(3);
                    w.end();
                    w.begin(0x0012);
                        w.u8(4);
                        w.u8(5);
                        w.u8(6);
                    w.end();
                w.end();
            w.end();
            Writer3DS::Mesh box;
            box.name = "box";
            box.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1};
            box.texCoords = {0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0};
            box.faces = {0, 1, 2, 0, 2, 3, 0, 1, 5, 0, 5, 4};
            box.groups = {{"paint", {0, 1}}, {"glass", {2, 3}}, {"bytes", {3, 0}}};
            w.object(box);
            w.begin(0x4000);
                w.name("camera");
                w.begin(0x4700);
                    for (int i = 0; i < 8; ++i)
                        w.f32(float(i));
                w.end();
            w.end();
        w.end();
    w.end();
    return w.bytes();
}

// One random change: bit flips, bytes, 16- and 32-bit values (lengths and
// counts), truncation, insertion, deletion and duplication of ranges.
void mutate(std::string& bytes, std::mt19937& random) {
    auto pick = [&](std::size_t n) { return n ? std::size_t(random() % n) : 0; };
    const std::uint32_t interesting[] = {0,
                                         1,
                                         2,
                                         5,
                                         6,
                                         7,
                                         0x7F,
                                         0xFF,
                                         0xFFFF,
                                         0x10000,
                                         0x7FFFFFFF,
                                         0xFFFFFFFF,
                                         std::uint32_t(bytes.size())};
    auto put = [&](std::size_t at, std::uint32_t value, int width) {
        for (int i = 0; i < width && at + i < bytes.size(); ++i)
            bytes[at + i] = char((value >> (8 * i)) & 0xff);
    };
    switch (random() % 8) {
    case 0:
        if (!bytes.empty())
            bytes[pick(bytes.size())] ^= char(1 << (random() % 8));
        break;
    case 1:
        if (!bytes.empty())
            bytes[pick(bytes.size())] = char(random());
        break;
    case 2:
        put(pick(bytes.size()), interesting[pick(std::size(interesting))], 2);
        break;
    case 3:
        put(pick(bytes.size()),
            random() % 2 ? std::uint32_t(random()) : interesting[pick(std::size(interesting))], 4);
        break;
    case 4:
        bytes.resize(pick(bytes.size() + 1));
        break;
    case 5: {
        std::string extra(1 + pick(16), '\0');
        for (char& c : extra)
            c = char(random());
        bytes.insert(pick(bytes.size() + 1), extra);
        break;
    }
    case 6:
        if (!bytes.empty()) {
            const std::size_t at = pick(bytes.size());
            bytes.erase(at, 1 + pick(std::min<std::size_t>(64, bytes.size() - at)));
        }
        break;
    default:
        if (!bytes.empty()) {
            const std::size_t at = pick(bytes.size());
            const std::size_t length = 1 + pick(std::min<std::size_t>(256, bytes.size() - at));
            bytes.insert(pick(bytes.size() + 1), bytes.substr(at, length));
        }
        break;
    }
}

TEST(Reader3DSMutation, SeededMutationsOfValidFilesStayConsistentAndBounded) {
    const std::string seeds[] = {richSeed(), fixtures3ds::twoObjects(), fixtures3ds::oneTriangle()};
    std::mt19937 random(20240611u);
    constexpr int kMutationsPerSeed = 1500;
    int damaged = 0;
    int total = 0;
    for (const std::string& seed : seeds) {
        Reader3DS whole;
        ASSERT_TRUE(whole.read(reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size()))
            << whole.problems[0];
        for (int i = 0; i < kMutationsPerSeed; ++i) {
            std::string bytes = seed;
            const int changes = 1 + int(random() % 4);
            for (int k = 0; k < changes; ++k)
                mutate(bytes, random);
            Reader3DS reader;
            const Measured measured = readMeasured(reader, bytes);
            const std::string label = "mutation " + std::to_string(total);
            EXPECT_LE(
                measured.peakBytes,
                (long long)(Reader3DS::kMaxRecordBytesPerFileByte * bytes.size() + kFixedBytes))
                << label;
            expectConsistent(reader, label);
            if (::testing::Test::HasFatalFailure())
                return;
            damaged += measured.damaged;
            ++total;
        }
    }
    // The mutations reach the damage paths, not only the float payloads.
    EXPECT_GT(damaged, total / 2);
}

TEST(Reader3DSMutation, HostileShapesStayWithinTheMemoryBound) {
    // Many tiny records: the worst ratio of record size to chunk size.
    Writer3DS objects;
    objects.beginFile();
            for (int i = 0; i < 20000; ++i) {
                objects.begin(0x4000);
                    objects.u8(0);
                objects.end();
            }
        objects.end();
    objects.end();
    // One object per editor block, many blocks: the records must not be
    // re-allocated block by block.
    Writer3DS editors;
    editors.begin(0x4D4D);
        for (int i = 0; i < 20000; ++i) {
            editors.begin(0x3D3D);
                editors.begin(0x4000);
                    editors.u8(0);
                editors.end();
                // Materials past the limit are left out as damage: here, unknown chunks.
                editors.begin(i < int(Reader3DS::kMaxMaterials) ? 0xAFFF : 0xAFFE);
                editors.end();
            editors.end();
        }
    editors.end();
    // Many groups, each listing one face many times: 6 index bytes per 2 file bytes.
    Writer3DS groups;
    groups.beginFile();
            groups.material("m", 1, 0, 0);
            groups.begin(0x4000);
                groups.name("g");
                groups.begin(0x4100);
                    groups.begin(0x4110);
                        groups.u16(3);
                        for (int i = 0; i < 9; ++i)
                            groups.f32(float(i));
                    groups.end();
                    groups.begin(0x4120);
                        groups.u16(1);
                        for (int i : {0, 1, 2, 0})
                            groups.u16(std::uint16_t(i));
                        for (int g = 0; g < 200; ++g) {
                            groups.begin(0x4130);
                                groups.name("m");
                                groups.u16(1000);
                                for (int f = 0; f < 1000; ++f)
                                    groups.u16(0);
                            groups.end();
                        }
                    groups.end();
                groups.end();
            groups.end();
        groups.end();
    groups.end();

    for (const Writer3DS* w : {&objects, &editors, &groups}) {
        Reader3DS reader;
        const Measured measured = readMeasured(reader, w->bytes());
        EXPECT_FALSE(measured.damaged) << reader.problems[0];
        // The accounting sees the records: each shape needs more than its file.
        EXPECT_GT(measured.peakBytes, (long long)w->size());
        EXPECT_LE(measured.peakBytes,
                  (long long)(Reader3DS::kMaxRecordBytesPerFileByte * w->size() + kFixedBytes));
        expectConsistent(reader, "hostile shape");
    }
}

} // namespace
