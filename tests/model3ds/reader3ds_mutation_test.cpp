// Seeded mutations of valid 3DS files, and a few hostile shapes, read under
// the sanitizers: none may crash, break the records' invariants (which the
// drawing relies on never to read outside an array) or allocate more than
// Reader3DS::kMaxRecordBytesPerFileByte times the file size.
#include "model3ds/normals3ds.h"
#include "model3ds/problems3ds.h"
#include "model3ds/reader3ds.h"
#include "tests/model3ds/fixtures3ds.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <random>

// Allocation accounting: each block carries its size and whether it was made
// while this thread was measuring; only those count.
constexpr std::size_t kBlockHeader = 16; // keeps the alignment of max_align_t
static std::atomic<long long> live{0}, peak{0};
static long long lastPeakBytes = 0; // of the last readChecked
static thread_local bool measuring = false;

// The nothrow new and delete do the work; the plain new and the sized delete
// forward to them, and so do new[] and delete[] unless a sanitizer replaces those.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    auto* header = static_cast<std::size_t*>(std::malloc(size + kBlockHeader));
    if (!header)
        return nullptr;
    header[0] = size;
    header[1] = measuring;
    if (measuring) {
        const long long now = live += (long long)size;
        for (long long was = peak; now > was && !peak.compare_exchange_weak(was, now);) {
        }
    }
    return reinterpret_cast<char*>(header) + kBlockHeader;
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    if (!p)
        return;
    auto* header = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - kBlockHeader);
    live -= header[1] ? (long long)header[0] : 0;
    std::free(header);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

// Reads bytes; checks the memory bound and what drawing relies on, whatever the file.
static Reader3DS readChecked(const std::string& bytes) {
    Reader3DS reader;
    const long long start = live;
    peak = start;
    measuring = true;
    reader.read(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    measuring = false;
    const std::size_t fixedBytes = 16 * 1024; // problem lines and lookup tables of any file
    lastPeakBytes = peak - start;
    EXPECT_LE(lastPeakBytes,
              (long long)(Reader3DS::kMaxRecordBytesPerFileByte * bytes.size() + fixedBytes));
    EXPECT_LE(reader.problems.size(), Reader3DS::kMaxProblems);
    // The map's line shows the first problem, in Dutch: every wording has its own.
    if (!reader.problems.empty()) {
        EXPECT_NE(dutchProblem3DS(reader.problems.front()), reader.problems.front());
    }
    for (const Object3DS& o : reader.objects) {
        const std::size_t vertices = std::size_t(o.vertexCount());
        const std::vector<float> normals = vertexNormals(o); // GL gets no NaN
        EXPECT_TRUE(
            o.name.size() <= Reader3DS::kMaxNameBytes && normals.size() == o.vertices.size() &&
            o.vertices.size() % 3 == 0 &&
            std::all_of(normals.begin(), normals.end(), [](float x) { return std::isfinite(x); }) &&
            o.faces.size() % 3 == 0 && (!o.textured || o.texCoords.size() >= 2 * vertices));
        for (const Group3DS& g : o.groups)
            EXPECT_TRUE(g.material >= -1 && g.material < int(reader.materials.size()) &&
                        std::all_of(g.drawn.begin(), g.drawn.end(), [&](std::uint16_t f) {
                            const auto corners = o.faces.record(f);
                            return f < o.faceCount() && corners[0] < vertices &&
                                   corners[1] < vertices && corners[2] < vertices;
                        }));
    }
    return reader;
}

// One random change: a bit flip, an extreme 16- or 32-bit value (lengths,
// counts, and the floats NaN and 3.4e38), a cut, inserted bytes, or a duplicated range.
static void mutate(std::string& bytes, std::mt19937& random) {
    const std::uint32_t extremes[] = {
        0, 1, 5, 6, 7, 0x7F, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF, 0x7FC00000, 0x7F7FFFFF};
    const std::size_t at = bytes.empty() ? 0 : random() % bytes.size();
    const unsigned kind = random() % 5;
    if (kind == 0 && !bytes.empty())
        bytes[at] ^= char(1 << (random() % 8));
    else if (kind == 1)
        bytes.replace(at, 4, fx::le(extremes[random() % 12], random() % 2 ? 2 : 4));
    else if (kind == 2)
        bytes.resize(at);
    else if (kind == 3)
        bytes.insert(at, std::string(1 + random() % 16, char(random())));
    else if (kind == 4)
        bytes.insert(random() % (bytes.size() + 1), bytes.substr(at, 1 + random() % 256));
}

TEST(Reader3DSMutation, MutatedAndHostileFilesStayConsistentAndBounded) {
    using namespace fx;
    QFile car(qEnvironmentVariable("KOLVAR_SOURCE_DIR") + "/maps/models/car_red.3ds");
    ASSERT_TRUE(car.open(QIODevice::ReadOnly));
    // Besides the car: chunks the reader skips, a byte colour, a mapped object.
    const std::string seeds[] = {
        car.readAll().toStdString(),
        twoObjects(),
        file(chunk(0x0002, le(3, 4)) +
             chunk(0xAFFF, chunk(0xA000, text("b")) + chunk(0xA020, chunk(0x0011, "\1\2\3"))) +
             triangle("t", "b") + chunk(0x4000, text("camera") + chunk(0x4700, f32({1, 2})))),
    };
    std::mt19937 random(20240611u);
    int damaged = 0, total = 0;
    for (const std::string& seed : seeds)
        for (int i = 0; i < 1000 && !::testing::Test::HasFailure(); ++i, ++total) {
            std::string bytes = seed;
            for (int k = 0, changes = 1 + int(random() % 4); k < changes; ++k)
                mutate(bytes, random);
            damaged += readChecked(bytes).damaged();
        }
    EXPECT_GT(damaged, total / 2) << "the mutations reach the damage paths";

    // Many tiny records, one object per editor block, and groups listing one
    // face many times: the worst ratios of record size to file size.
    const std::string tiny = chunk(0x4000, std::string(1, '\0'));
    std::string objects, editors, groups;
    for (int i = 0; i < 20000; ++i) // materials past the limit are damage: here unknown chunks
        objects += tiny,
            editors +=
            chunk(0x3D3D, tiny + chunk(i < int(Reader3DS::kMaxMaterials) ? 0xAFFF : 0xAFFE, ""));
    for (int i = 0; i < 200; ++i)
        groups += chunk(0x4130, text("m") + u16({1000}) + std::string(2000, '\0'));
    for (const std::string& hostile :
         {file(objects), chunk(0x4D4D, editors),
          file(material("m", 1, 0, 0) + object("g", vertices(3, {0, 1, 2, 3, 4, 5, 6, 7, 8}) +
                                                        faces(1, {0, 1, 2, 0}, groups))),
          // Finite vertices whose face normal overflows.
          file(object("far", vertices(3, {0, 0, 0, 3e38f, 0, 0, 0, 0, 3e38f}) +
                                 faces(1, {0, 1, 2, 0}, "")))}) {
        EXPECT_FALSE(readChecked(hostile).damaged());
        EXPECT_GT(lastPeakBytes, (long long)hostile.size()) << "the accounting sees the records";
    }
}
