// Speed and memory of the 3DS reader on a large model (largemodel.h, about
// 39 MB) written to a temporary file at start-up. Reports MB/s
// (bytes_per_second), the peak allocation of a read relative to the file
// size (peak_x_file), and how many times longer lib3ds, the common C reader,
// takes on the same file in the same run (lib3ds_x), and what reading the
// bytes into memory of the reader's own would cost instead of mapping them
// (readFileCopyVsMap: CPU time and page faults of each way).
//
//     build-bench/bench/bench_reader3ds
//     build-bench/bench/bench_reader3ds --write-model FILE
//
// The second form only writes the model to FILE, for timing whole processes
// (our build/kolvar-3ds against bench/lib3ds-dump) on the same file.
#include "bench/largemodel.h"
#include "model3ds/reader3ds.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <lib3ds/file.h>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

namespace {

// The model, written once to a temporary file removed at exit.
struct LargeFile {
    LargeFile() {
        char name[] = "/tmp/kolvar-bench-XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        bytes = largemodel::bytes();
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

// Peak bytes allocated during one call of read, beyond what was live
// before; read returns the bytes it took besides operator new (none now:
// the file's bytes are read into a buffer from operator new[]).
template <typename Read> long long peakOf(Read read) {
    const long long before = live;
    peak = before;
    const long long besides = (long long)read();
    return peak - before + besides;
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
    if (objects != std::size_t(largemodel::kObjects) * state.iterations())
        state.SkipWithError("the large model did not read whole");
    state.SetBytesProcessed(std::int64_t(file.bytes.size()) * state.iterations());
    const long long peakBytes = peakOf([&] {
        Reader3DS reader;
        reader.readFile(file.path.c_str());
        return 0;
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
        return 0;
    });
    state.counters["records_x_file"] = double(peakBytes) / double(file.bytes.size());
}
BENCHMARK(readMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Our whole read of the file against lib3ds's, alternating, in one benchmark:
// the reported time is ours, lib3ds_x is lib3ds's time over ours.
void readFileVsLib3ds(benchmark::State& state) {
    const LargeFile& file = largeFile();
    using Clock = std::chrono::steady_clock;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        {
            Reader3DS reader;
            reader.readFile(file.path.c_str());
            benchmark::DoNotOptimize(reader.objects.data());
        }
        const Clock::time_point middle = Clock::now();
        Lib3dsFile* peer = lib3ds_file_load(file.path.c_str());
        if (!peer) {
            state.SkipWithError("lib3ds cannot read the large model");
            return;
        }
        lib3ds_file_free(peer);
        const Clock::time_point stop = Clock::now();
        const double mine = std::chrono::duration<double>(middle - start).count();
        ours += mine;
        theirs += std::chrono::duration<double>(stop - middle).count();
        state.SetIterationTime(mine);
    }
    state.counters["lib3ds_x"] = ours > 0 ? theirs / ours : 0;
}
// The reported time is ours alone, which is short against lib3ds's: a fixed
// count keeps the run to seconds, where a minimum time would make it minutes.
BENCHMARK(readFileVsLib3ds)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

// The other way to survive a file cut short while it is read: read its
// bytes into memory of the reader's own (readImage keeps them), so no page
// of the file is ever mapped. Returns the objects read.
long readCopy(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        std::abort();
    const std::size_t size = std::size_t(status.st_size);
    std::shared_ptr<std::uint8_t> buffer(new std::uint8_t[size],
                                         std::default_delete<std::uint8_t[]>());
    if (pread(fd, buffer.get(), size, 0) != ssize_t(size))
        std::abort();
    close(fd);
    Reader3DS reader;
    reader.readImage(std::move(buffer), size);
    return long(reader.objects.size());
}

// The same copy into memory populated at once (MAP_POPULATE) instead of
// page by page as the copy touches it.
long readPopulatedCopy(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0)
        std::abort();
    const std::size_t size = std::size_t(status.st_size);
    void* buffer = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (buffer == MAP_FAILED || pread(fd, buffer, size, 0) != ssize_t(size))
        std::abort();
    close(fd);
    Reader3DS reader;
    reader.readImage(std::shared_ptr<const void>(buffer, [size](void* p) { munmap(p, size); }),
                     size);
    return long(reader.objects.size());
}

struct Usage {
    long faults = 0;
    double cpu = 0; // seconds, user and system
};

Usage usage() {
    struct rusage now;
    getrusage(RUSAGE_SELF, &now);
    return {now.ru_minflt, double(now.ru_utime.tv_sec + now.ru_stime.tv_sec) +
                               double(now.ru_utime.tv_usec + now.ru_stime.tv_usec) / 1e6};
}

// The ways side by side, alternating, in one benchmark: the reported time
// is readFile's (the file mapped, pages cut from it meanwhile read as
// zeros); per way, the CPU milliseconds (cpu_*) and minor page faults
// (faults_*) of one read: map (readFile), copy (the bytes read into memory
// of the reader's own) and populated (the same copy into memory populated
// at once). Wall times on this shared machine say more of the other
// processes than of the reads.
void readFileCopyVsMap(benchmark::State& state) {
    const LargeFile& file = largeFile();
    using Clock = std::chrono::steady_clock;
    Usage total[3];
    for (auto _ : state) {
        const Usage u0 = usage();
        const Clock::time_point start = Clock::now();
        {
            Reader3DS reader;
            reader.readFile(file.path.c_str());
            if (reader.objects.size() != std::size_t(largemodel::kObjects)) {
                state.SkipWithError("the large model did not read whole");
                return;
            }
        }
        const Clock::time_point stop = Clock::now();
        const Usage u1 = usage();
        if (readCopy(file.path.c_str()) != largemodel::kObjects) {
            state.SkipWithError("the copy did not read whole");
            return;
        }
        const Usage u2 = usage();
        if (readPopulatedCopy(file.path.c_str()) != largemodel::kObjects) {
            state.SkipWithError("the populated copy did not read whole");
            return;
        }
        const Usage u3 = usage();
        const Usage* u[] = {&u0, &u1, &u2, &u3};
        for (int way = 0; way < 3; ++way) {
            total[way].faults += u[way + 1]->faults - u[way]->faults;
            total[way].cpu += u[way + 1]->cpu - u[way]->cpu;
        }
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
    }
    const double n = double(state.iterations());
    const char* names[] = {"map", "copy", "populated"};
    for (int way = 0; way < 3; ++way) {
        state.counters[std::string("cpu_") + names[way]] = 1e3 * total[way].cpu / n;
        state.counters[std::string("faults_") + names[way]] = double(total[way].faults) / n;
    }
    state.SetBytesProcessed(std::int64_t(file.bytes.size()) * state.iterations());
}
BENCHMARK(readFileCopyVsMap)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(60);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-model") == 0) {
        const std::string bytes = largemodel::bytes();
        std::FILE* out = std::fopen(argv[2], "wb");
        const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        if (out)
            std::fclose(out);
        return written ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
