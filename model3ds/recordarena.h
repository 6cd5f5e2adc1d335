// RecordArena: one anonymous mapping that the large arrays of a 3DS read are
// carved from, in huge pages where the system grants them. Fresh memory costs
// a page fault per 4 KB page (about 2 us each, more than reading the bytes);
// in 2 MB pages a 40 MB model's records take some twenty faults instead of
// ten thousand. RecordAllocator hands out its memory to std::vector.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

class RecordArena {
public:
    // Reserves room for bytes (address space only: pages are taken when first
    // written). valid() is false when the system refused the mapping.
    explicit RecordArena(std::size_t bytes);
    ~RecordArena();
    RecordArena(const RecordArena&) = delete;
    RecordArena& operator=(const RecordArena&) = delete;

    bool valid() const { return begin != nullptr; }
    // bytes aligned to align (a power of two at most 16), or nullptr when
    // the arena is full. Memory is given back only with the whole arena.
    void* take(std::size_t bytes, std::size_t align);
    // Bytes handed out so far, alignment gaps included.
    std::size_t used() const { return std::size_t(next - begin); }
    bool holds(const void* p) const {
        const auto* at = static_cast<const std::uint8_t*>(p);
        return at >= begin && at < end;
    }

private:
    void* mapping = nullptr;
    std::size_t mappedBytes = 0;
    std::uint8_t* begin = nullptr;  // first byte of the usable, 2 MB aligned room
    std::uint8_t* next = nullptr;   // first byte not yet handed out
    std::uint8_t* backed = nullptr; // first byte not yet backed by memory (see take)
    std::uint8_t* end = nullptr;
};

// Takes memory from an arena while it has room, else from the heap. The
// arena lives as long as any array allocated from it. A default-constructed
// allocator (no arena) is the plain heap; copies of an array use the heap.
template <typename T> class RecordAllocator {
public:
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    RecordAllocator() = default;
    explicit RecordAllocator(std::shared_ptr<RecordArena> arena) : arena(std::move(arena)) {}
    template <typename U> RecordAllocator(const RecordAllocator<U>& other) : arena(other.arena) {}

    T* allocate(std::size_t count) {
        if (arena)
            if (void* p = arena->take(count * sizeof(T), alignof(T)))
                return static_cast<T*>(p);
        return std::allocator<T>().allocate(count);
    }
    void deallocate(T* p, std::size_t count) {
        if (!arena || !arena->holds(p))
            std::allocator<T>().deallocate(p, count);
    }
    // An element made without a value is left uninitialised (for a float or
    // an integer: not zeroed), so a reader sizes an array and writes each
    // value once. Elements made from a value are made as usual.
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    RecordAllocator select_on_container_copy_construction() const { return RecordAllocator(); }

    friend bool operator==(const RecordAllocator& a, const RecordAllocator& b) {
        return a.arena == b.arena;
    }
    friend bool operator!=(const RecordAllocator& a, const RecordAllocator& b) { return !(a == b); }

    std::shared_ptr<RecordArena> arena;
};

template <typename T> using RecordArray = std::vector<T, RecordAllocator<T>>;

// A record array equals a plain vector holding the same values.
template <typename T> bool operator==(const RecordArray<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
template <typename T> bool operator==(const std::vector<T>& a, const RecordArray<T>& b) {
    return b == a;
}
