// 3DS files written from a table of chunks, for the reader and mutation
// tests: each helper gives the bytes of one chunk (little-endian, a 6-byte
// header of id and length), so a test builds a file, whole or damaged, in
// one expression.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace fx {

inline std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
    return out;
}
inline std::string u16(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += le(std::uint32_t(v), 2);
    return out;
}
inline std::string f32(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        out += le(bits, 4);
    }
    return out;
}
// A chunk; a length other than 0 is written instead of the true one.
inline std::string chunk(std::uint16_t id, const std::string& body, std::uint32_t length = 0) {
    return le(id, 2) + le(length ? length : std::uint32_t(6 + body.size()), 4) + body;
}
inline std::string file(const std::string& editor) {
    return chunk(0x4D4D, chunk(0x3D3D, editor));
}
inline std::string text(const std::string& name) {
    return name + '\0';
}
// A material of a float colour and, when map is not empty, a texture map.
inline std::string material(const std::string& name, float r, float g, float b,
                            const std::string& map = "") {
    return chunk(0xAFFF, chunk(0xA000, text(name)) + chunk(0xA020, chunk(0x0010, f32({r, g, b}))) +
                             (map.empty() ? "" : chunk(0xA200, chunk(0xA300, text(map)))));
}
inline std::string object(const std::string& name, const std::string& mesh) {
    return chunk(0x4000, text(name) + chunk(0x4100, mesh));
}
// Vertices in the file's axes (z up), mapping pairs, faces (a, b, c, flags)
// followed by the groups' chunks, and a group listing face numbers.
inline std::string vertices(int count, std::initializer_list<float> xyz) {
    return chunk(0x4110, u16({count}) + f32(xyz));
}
inline std::string mapping(int count, std::initializer_list<float> uv) {
    return chunk(0x4140, u16({count}) + f32(uv));
}
inline std::string faces(int count, std::initializer_list<int> abcf, const std::string& groups) {
    return chunk(0x4120, u16({count}) + u16(abcf) + groups);
}
inline std::string group(const std::string& material, int count, std::initializer_list<int> faces) {
    return chunk(0x4130, text(material) + u16({count}) + u16(faces));
}
// An object of one face in one group of material.
inline std::string triangle(const std::string& name, const std::string& material = "m") {
    return object(name, vertices(3, {0, 0, 0, 1, 0, 0, 0, 0, 1}) +
                            faces(1, {0, 1, 2, 0}, group(material, 1, {0})));
}
// Materials "red" and "blue" (texture map "BLUE.PNG"); objects "left", mapped,
// two faces in two groups (the second lists face 1, then face 0), and "right".
inline std::string twoObjects() {
    return file(material("red", 1, 0, 0) + material("blue", 0, 0, 1, "BLUE.PNG") +
                object("left", vertices(4, {0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1}) +
                                   mapping(4, {0, 0, 1, 0, 1, 1, 0, 1}) +
                                   faces(2, {0, 1, 2, 0, 0, 2, 3, 0},
                                         group("red", 1, {0}) + group("blue", 2, {1, 0}))) +
                triangle("right", "red"));
}

} // namespace fx
