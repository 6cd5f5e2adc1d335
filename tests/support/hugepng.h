// A PNG whose header claims width x height pixels but holds no pixel data:
// a few dozen bytes that a decoder without a size check would expand to
// gigabytes.
#pragma once

#include <cstdint>
#include <string>

namespace testgl {

inline std::string hugePngHeader(std::uint32_t width, std::uint32_t height) {
    const auto be32 = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    // A chunk of type and data (given together), with the CRC-32 PNG checks.
    const auto chunk = [&](const std::string& typed) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char b : typed)
            for (int k = 0; k < 8; ++k, b >>= 1)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - ((crc ^ b) & 1u)));
        return be32(std::uint32_t(typed.size() - 4)) + typed + be32(~crc);
    };
    // 8-bit RGBA, no interlace; the empty IDAT ends the header for a reader.
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR" + be32(width) + be32(height) + std::string("\x08\x06\0\0\0", 5)) +
           chunk("IDAT");
}

} // namespace testgl
