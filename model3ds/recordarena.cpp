// RecordArena: a bump allocator over one private anonymous mapping.
#include "model3ds/recordarena.h"

#include <algorithm>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t kHugePageBytes = 2u * 1024 * 1024;
// The room is backed this many bytes at a time, ahead of the records written
// into it: one call instead of a page fault per 4 KB page (about 2 us each
// without huge pages, more than reading the bytes), and in whole huge pages
// when the system grants them.
constexpr std::uintptr_t kBackingStepBytes = kHugePageBytes;

} // namespace

RecordArena::RecordArena(std::size_t bytes) {
    // One huge page more than asked for, so the room can start on a huge
    // page boundary; what is never written is never backed by memory.
    const std::size_t size = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* p = ::mmap(nullptr, size + kHugePageBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        return;
    mapping = p;
    mappedBytes = size + kHugePageBytes;
    begin = next = backed =
        reinterpret_cast<std::uint8_t*>((reinterpret_cast<std::uintptr_t>(p) + kHugePageBytes - 1) /
                                        kHugePageBytes * kHugePageBytes);
    end = begin + size;
    // Only a request: without transparent huge pages it is 4 KB pages as usual.
    ::madvise(begin, size, MADV_HUGEPAGE);
}

RecordArena::~RecordArena() {
    if (mapping)
        ::munmap(mapping, mappedBytes);
}

void* RecordArena::take(std::size_t bytes, std::size_t align) {
    if (!begin)
        return nullptr;
    const std::uintptr_t at = (reinterpret_cast<std::uintptr_t>(next) + align - 1) & ~(align - 1);
    const std::uintptr_t limit = reinterpret_cast<std::uintptr_t>(end);
    if (at > limit || bytes > limit - at)
        return nullptr;
    next = reinterpret_cast<std::uint8_t*>(at + bytes);
    if (next > backed) {
        // Whole steps from the last one on; a kernel without
        // MADV_POPULATE_WRITE leaves the pages to be faulted in as written.
        const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(backed);
        const std::uintptr_t to = std::min(limit, (at + bytes + kBackingStepBytes - 1) /
                                                      kBackingStepBytes * kBackingStepBytes);
#ifdef MADV_POPULATE_WRITE
        ::madvise(backed, to - from, MADV_POPULATE_WRITE);
#endif
        backed = reinterpret_cast<std::uint8_t*>(to);
    }
    return reinterpret_cast<void*>(at);
}
