// Speed and memory of the 3DS reader on a large model: twenty objects of
// 65,000 vertices and faces with mapping coordinates and one material group
// each, about 40 MB, written to a temporary file at start-up. Reports MB/s
// (bytes_per_second) and the peak allocation of a read relative to the file
// size (peak_x_file).
#include "model3ds/reader3ds.h"
#include "model3ds/writer3ds.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>

namespace {

// Allocation accounting of the measured reads (see peakOf).
constexpr std::size_t kBlockHeader = 16; // keeps the alignment of max_align_t
std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void* allocate(std::size_t size) {
    void* block = std::malloc(size + kBlockHeader);
    if (!block)
        return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const long long now = live += (long long)size;
    long long high = peak;
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return static_cast<char*>(block) + kBlockHeader;
}

void release(void* p) noexcept {
    if (!p)
        return;
    char* block = static_cast<char*>(p) - kBlockHeader;
    live -= (long long)*reinterpret_cast<std::size_t*>(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

constexpr int kObjects = 20;
constexpr int kGridSide = 255;          // vertices per side: 65,025 vertices an object
constexpr float kCellSize = 0.01f;      // grid spacing, world units

// The large model: each object a wavy grid of kGridSide^2 vertices and
// almost as many faces (one triangle per cell, alternating diagonals).
std::string largeModel() {
    Writer3DS w;
    w.beginFile();
        w.material("surface", 0.6f, 0.6f, 0.6f, "SURFACE.PNG");
        for (int o = 0; o < kObjects; ++o) {
            Writer3DS::Mesh mesh;
            mesh.name = "grid" + std::to_string(o);
            for (int j = 0; j < kGridSide; ++j)
                for (int i = 0; i < kGridSide; ++i) {
                    const float x = i * kCellSize, y = j * kCellSize;
                    mesh.vertices.insert(mesh.vertices.end(),
                                         {x + o, y, 0.1f * std::sin(x * 7) * std::cos(y * 5)});
                    mesh.texCoords.insert(mesh.texCoords.end(),
                                          {float(i) / kGridSide, float(j) / kGridSide});
                }
            Writer3DS::Mesh::Group group{"surface", {}};
            for (int j = 0; j + 1 < kGridSide; ++j)
                for (int i = 0; i + 1 < kGridSide; ++i) {
                    const auto v = [&](int di, int dj) {
                        return std::uint16_t((j + dj) * kGridSide + i + di);
                    };
                    if ((i + j) % 2)
                        mesh.faces.insert(mesh.faces.end(), {v(0, 0), v(1, 0), v(1, 1)});
                    else
                        mesh.faces.insert(mesh.faces.end(), {v(0, 0), v(1, 1), v(0, 1)});
                    group.faces.push_back(std::uint16_t(group.faces.size()));
                }
            mesh.groups.push_back(group);
            w.object(mesh);
        }
    w.end();
    w.end();
    return w.bytes();
}

// The model, written once to a temporary file removed at exit.
struct LargeFile {
    LargeFile() {
        char name[] = "/tmp/kolvar-bench-XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        bytes = largeModel();
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            std::abort();
        close(fd);
    }
    ~LargeFile() { std::remove(path.c_str()); }
    std::string path;
    std::string bytes;
};

const LargeFile& largeFile() {
    static const LargeFile file;
    return file;
}

// Peak bytes allocated during one call of read, beyond what was live before.
template <typename Read> long long peakOf(Read read) {
    const long long before = live;
    peak = before;
    read();
    return peak - before;
}

void readFile(benchmark::State& state) {
    const LargeFile& file = largeFile();
    std::size_t objects = 0;
    for (auto _ : state) {
        Reader3DS reader;
        reader.readFile(file.path.c_str());
        objects += reader.objects.size();
        benchmark::DoNotOptimize(reader.objects.data());
    }
    if (objects != std::size_t(kObjects) * state.iterations())
        state.SkipWithError("the large model did not read whole");
    state.SetBytesProcessed(std::int64_t(file.bytes.size()) * state.iterations());
    const long long peakBytes = peakOf([&] {
        Reader3DS reader;
        reader.readFile(file.path.c_str());
    });
    state.counters["file_MB"] = double(file.bytes.size()) / 1e6;
    state.counters["peak_x_file"] = double(peakBytes) / double(file.bytes.size());
}
BENCHMARK(readFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void readMemory(benchmark::State& state) {
    const LargeFile& file = largeFile();
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.bytes.data());
    for (auto _ : state) {
        Reader3DS reader;
        reader.read(data, file.bytes.size());
        benchmark::DoNotOptimize(reader.objects.data());
    }
    state.SetBytesProcessed(std::int64_t(file.bytes.size()) * state.iterations());
    const long long peakBytes = peakOf([&] {
        Reader3DS reader;
        reader.read(data, file.bytes.size());
    });
    state.counters["records_x_file"] = double(peakBytes) / double(file.bytes.size());
}
BENCHMARK(readMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
