// Writer3DS: builds the bytes of a 3DS file, chunk by chunk, little-endian.
// Used by the model generator of the default world, by the tests and by the
// benchmark.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class Writer3DS {
public:
    // Mesh object in the file's own axes: z up.
    struct Mesh {
        std::string name;
        std::vector<float> vertices;         // x, y, z per vertex, z up
        std::vector<float> texCoords;        // u, v per vertex; empty for no mapping chunk
        std::vector<std::uint16_t> faces;    // a, b, c per face
        struct Group {
            std::string material;
            std::vector<std::uint16_t> faces; // face numbers
        };
        std::vector<Group> groups;
    };

    Writer3DS() = default;

    // Opens a chunk; its length is filled in by the matching end().
    void begin(std::uint16_t id) {
        open.push_back(out.size());
        u16(id);
        u32(0);
    }
    // Closes the innermost chunk, writing its full size as its length.
    void end() {
        const std::size_t at = open.back() + 2;
        const auto length = std::uint32_t(out.size() - open.back());
        open.pop_back();
        for (int i = 0; i < 4; ++i)
            out[at + i] = char((length >> (8 * i)) & 0xff);
    }

    void u8(std::uint8_t value) { out.push_back(char(value)); }
    void u16(std::uint16_t value) {
        u8(value & 0xff);
        u8(value >> 8);
    }
    void u32(std::uint32_t value) {
        u16(value & 0xffff);
        u16(value >> 16);
    }
    void f32(float value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        u32(bits);
    }
    // Text and its terminator.
    void name(const std::string& text) {
        out += text;
        u8(0);
    }

    // A material with a float colour (0..1) and, when map is not empty, a texture map.
    void material(const std::string& materialName, float r, float g, float b,
                  const std::string& map = "") {
        begin(0xAFFF);
            begin(0xA000);
                name(materialName);
            end();
            begin(0xA020);
                begin(0x0010);
                    f32(r);
                    f32(g);
                    f32(b);
                end();
            end();
            if (!map.empty()) {
                begin(0xA200);
                    begin(0xA300);
                        name(map);
                    end();
                end();
            }
        end();
    }

    // An object chunk holding one triangle mesh.
    void object(const Mesh& mesh) {
        begin(0x4000);
            name(mesh.name);
            begin(0x4100);
                begin(0x4110);
                    u16(std::uint16_t(mesh.vertices.size() / 3));
                    for (float value : mesh.vertices)
                        f32(value);
                end();
                if (!mesh.texCoords.empty()) {
                    begin(0x4140);
                        u16(std::uint16_t(mesh.texCoords.size() / 2));
                        for (float value : mesh.texCoords)
                            f32(value);
                    end();
                }
                begin(0x4120);
                    u16(std::uint16_t(mesh.faces.size() / 3));
                    for (std::size_t i = 0; i < mesh.faces.size(); i += 3) {
                        u16(mesh.faces[i]);
                        u16(mesh.faces[i + 1]);
                        u16(mesh.faces[i + 2]);
                        u16(0); // flags
                    }
                    for (const Mesh::Group& group : mesh.groups) {
                        begin(0x4130);
                            name(group.material);
                            u16(std::uint16_t(group.faces.size()));
                            for (std::uint16_t f : group.faces)
                                u16(f);
                        end();
                    }
                end();
            end();
        end();
    }

    // Starts a whole file: the main chunk and its editor block. Close both with end().
    void beginFile() {
        begin(0x4D4D);
        begin(0x3D3D);
    }

    const std::string& bytes() const { return out; }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(out.data()); }
    std::size_t size() const { return out.size(); }

private:
    std::string out;
    std::vector<std::size_t> open; // offsets of the chunks not yet closed
};
