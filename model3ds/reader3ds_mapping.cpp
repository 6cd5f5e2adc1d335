// The fault handler behind Mapping: one SIGBUS handler for the process,
// installed with the first mapping, and a fixed table of the live mappings'
// address ranges that it reads without locks. A fault outside every mapping
// goes to the handler that was there before (or the default action: the
// process ends as it would have).
#include "model3ds/reader3ds_mapping.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace mapping3ds {

namespace {

// Mappings alive at once: a model's records live during its load only, so
// a handful; beyond this many, map() fails and the reader copies instead.
constexpr int kSlots = 64;

struct Slot {
    std::atomic<std::uintptr_t> begin{0}; // 0: free
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cut{false};
};

Slot slots[kSlots];
struct sigaction previous; // the handler before ours
std::uintptr_t pageBytes = 4096;

void onBusError(int signal, siginfo_t* info, void* context) {
    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || at < begin || at >= slot.end.load(std::memory_order_acquire))
            continue;
        // The file ends before this page now: zeros in its place, and the
        // faulting load runs again on them. mmap is a plain system call here.
        void* page = reinterpret_cast<void*>(at & ~(pageBytes - 1));
        if (::mmap(page, pageBytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        slot.cut.store(true, std::memory_order_release);
        return;
    }
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    // The default action: the faulting load runs again and ends the process.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(SIGBUS, &fallback, nullptr);
}

void installHandler() {
    pageBytes = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    struct sigaction handler = {};
    handler.sa_sigaction = onBusError;
    handler.sa_flags = SA_SIGINFO;
    sigemptyset(&handler.sa_mask);
    ::sigaction(SIGBUS, &handler, &previous);
}

} // namespace

std::shared_ptr<Mapping> Mapping::map(int fd, std::size_t size) {
    static std::once_flag installed;
    std::call_once(installed, installHandler);
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (address == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<std::uintptr_t>(address);
    for (int i = 0; i < kSlots; ++i) {
        std::uintptr_t free = 0;
        Slot& slot = slots[i];
        if (!slot.begin.compare_exchange_strong(free, begin, std::memory_order_acq_rel))
            continue;
        slot.cut.store(false, std::memory_order_relaxed);
        slot.end.store(begin + size, std::memory_order_release);
        return std::shared_ptr<Mapping>(new Mapping(address, size, i));
    }
    ::munmap(address, size);
    return nullptr;
}

Mapping::~Mapping() {
    ::munmap(address, size);
    slots[slot].end.store(0, std::memory_order_release);
    slots[slot].begin.store(0, std::memory_order_release);
}

bool Mapping::cut() const {
    return slots[slot].cut.load(std::memory_order_acquire);
}

} // namespace mapping3ds
