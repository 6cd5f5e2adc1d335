// PackedArray: values held little-endian at fixed places in a block of bytes
// (the image of a 3DS file, mostly), each read when asked, at any alignment.
// An array keeps its block alive, so the records of a read view the bytes
// the file already holds instead of copying them: a copy costs a page fault
// per fresh 4 KB of memory (about 2 us without huge pages, more than reading
// the bytes), and a model's records are only read once, to build what is
// drawn.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace packed {

inline std::uint16_t loadU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t loadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline float loadF32(const std::uint8_t* p) {
    const std::uint32_t bits = loadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Layouts: records of kStride bytes holding kPer values each; load(record, k)
// reads value k of a record.
// Two floats a record: a 3DS mapping coordinate, u then v.
struct FloatPairs {
    using value_type = float;
    static constexpr std::size_t kPer = 2, kStride = 8;
    static float load(const std::uint8_t* record, std::size_t k) { return loadF32(record + 4 * k); }
};

struct Words {
    using value_type = std::uint16_t;
    static constexpr std::size_t kPer = 1, kStride = 2;
    static std::uint16_t load(const std::uint8_t* record, std::size_t) { return loadU16(record); }
};

// A 3DS vertex: x, y, z, z up. Read y up, as the world is: (x, y, z) is (x, z, -y).
struct YUpVertices {
    using value_type = float;
    static constexpr std::size_t kPer = 3, kStride = 12;
    static float load(const std::uint8_t* record, std::size_t k) {
        return k == 0 ? loadF32(record) : k == 1 ? loadF32(record + 8) : -loadF32(record + 4);
    }
};

// A 3DS face: the vertex numbers a, b, c, then 16 bits of flags, which are not read.
struct FaceCorners {
    using value_type = std::uint16_t;
    static constexpr std::size_t kPer = 3, kStride = 8;
    static std::uint16_t load(const std::uint8_t* record, std::size_t k) {
        return loadU16(record + 2 * k);
    }
};

} // namespace packed

template <typename Layout> class PackedArray {
public:
    using value_type = typename Layout::value_type;

    PackedArray() = default;
    // The values of records records of Layout from first on, in a block that
    // keep holds alive.
    PackedArray(std::shared_ptr<const void> keep, const std::uint8_t* first, std::size_t records)
        : keep(std::move(keep)), first(first), held(records * Layout::kPer), count(held) {}

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    // Value i; 0 past the values the block holds (see resize), so no index
    // reads outside the block, even one taken from bytes changed since.
    value_type operator[](std::size_t i) const {
        if (i >= held)
            return value_type();
        return Layout::load(first + i / Layout::kPer * Layout::kStride, i % Layout::kPer);
    }
    // The kPer values of record r; as operator[], 0 past what the block holds.
    std::array<value_type, Layout::kPer> record(std::size_t r) const {
        std::array<value_type, Layout::kPer> values{};
        for (std::size_t k = 0; k < Layout::kPer; ++k)
            if (r * Layout::kPer + k < held)
                values[k] = Layout::load(first + r * Layout::kStride, k);
        return values;
    }
    // Makes the array size values long: added values read as 0, and values
    // cut off stay cut off.
    void resize(std::size_t size) {
        count = size;
        held = std::min(held, size);
    }

    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = typename Layout::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        const_iterator(const PackedArray* array, std::size_t at) : array(array), at(at) {}
        value_type operator*() const { return (*array)[at]; }
        const_iterator& operator++() {
            ++at;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(array, at++); }
        bool operator==(const const_iterator& other) const { return at == other.at; }
        bool operator!=(const const_iterator& other) const { return at != other.at; }

    private:
        const PackedArray* array;
        std::size_t at;
    };
    using iterator = const_iterator;
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, count); }

private:
    std::shared_ptr<const void> keep;
    const std::uint8_t* first = nullptr;
    std::size_t held = 0;  // values the block holds
    std::size_t count = 0; // values the array has, those read as 0 included
};

// An array equals a plain vector holding the same values.
template <typename Layout>
bool operator==(const PackedArray<Layout>& a, const std::vector<typename Layout::value_type>& b) {
    return a.size() == b.size() && std::equal(b.begin(), b.end(), a.begin());
}
template <typename Layout>
bool operator==(const std::vector<typename Layout::value_type>& a, const PackedArray<Layout>& b) {
    return b == a;
}
