// Reader3DS: turns the bytes of a 3DS file into plain records (materials,
// mesh objects, material groups) without any GL call, and lists every
// inconsistency it meets. Any input at all is read to whatever part of it is
// consistent: every read is checked against the end of its chunk first, no
// count is trusted beyond what its chunk holds, and no index is ever used
// outside its array. Time is linear in the file size, and memory stays within
// a small multiple of it (see kMaxRecordBytesPerFileByte).
#pragma once

#include "model3ds/recordarena.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One material (chunk 0xAFFF).
struct Material3DS {
    std::string name;                        // at most 79 bytes; empty when absent
    std::uint8_t colour[4] = {0, 0, 0, 255}; // diffuse r, g, b, a; black until a colour is read
    std::string textureMap; // file name of the last texture map, as written; empty if none
};

// The faces of one object drawn with one material (chunk 0x4130).
struct Group3DS {
    std::string materialName;         // as written, at most 79 bytes
    int material = -1;                // index into the materials; -1 when no material has the name
    RecordArray<std::uint16_t> faces; // face numbers as written (may name missing faces)
    RecordArray<std::uint16_t>
        indices; // 3 vertex indices per face, only of faces that exist and have finite vertices
};

// One object (chunk 0x4000) with its triangle mesh, if any.
struct Object3DS {
    std::string name; // at most 79 bytes
    RecordArray<float>
        vertices; // x, y, z per vertex; y up: the file's (x, y, z) is held as (x, z, -y)
    RecordArray<float> texCoords; // u, v per vertex when textured (at least one pair per vertex)
    RecordArray<std::uint16_t> faces; // a, b, c per face as written (may name missing vertices)
    std::vector<Group3DS> groups;     // in file order
    bool textured = false;            // the mesh has mapping coordinates
    // Vertices with a NaN or infinite coordinate, counted as they are read;
    // their faces are left out of the groups.
    std::size_t nonFiniteVertices = 0;

    int vertexCount() const { return int(vertices.size() / 3); }
    int faceCount() const { return int(faces.size() / 3); }
};

class Reader3DS {
public:
    static constexpr std::size_t kMaxNameBytes = 79; // longer names are cut to this many bytes
    static constexpr std::size_t kMaxProblems =
        64; // problems kept as text; the rest are only counted
    // Bound on what a read allocates, per byte of file (records, their arrays and
    // the file image itself); the mutation tests hold the reader to it.
    static constexpr std::size_t kMaxRecordBytesPerFileByte = 32;
    // Largest file readFile accepts, bytes: above any real model (the 16-bit
    // counts keep one object under 2 MB), and low enough that the records of
    // the most hostile file (tiny groups: ten times their bytes) stay under a
    // gigabyte. A larger file is refused before it is opened.
    static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;
    // Materials kept per model; later ones are left out (their groups are
    // drawn untextured). Real models have tens.
    static constexpr std::size_t kMaxMaterials = 1024;
    // Objects kept per model; later ones are left out. A 7-byte object chunk
    // makes a record of over 100 bytes, so their number is bounded too.
    static constexpr std::size_t kMaxObjects = 32768;
    // Faces drawn per model, over all its groups (a face once for every group
    // naming it). Compiled into a display list a face costs about 100 bytes,
    // so a small file whose groups name the same faces over and over would
    // take gigabytes; face numbers past this are left out. Real models,
    // each face in one group, stay far below it (a 64 MB file holds at most
    // about 6 million faces with no vertices at all).
    static constexpr std::size_t kMaxDrawnFaces = 4000000;
    // From this file size on, the records' arrays come from one RecordArena
    // (in huge pages where granted) instead of the heap; smaller models gain
    // nothing from it.
    static constexpr std::size_t kArenaMinBytes = 4u * 1024 * 1024;

    Reader3DS() = default;

    // Reads a whole file image; the bytes must stay valid during the call only.
    // Returns false when the image is damaged (see problems).
    bool read(const std::uint8_t* data, std::size_t size);
    // Maps the regular file at path (read-only, private) and reads it as
    // read() does. Returns false when it is refused, cannot be opened or is
    // damaged; tooLarge and opened tell which.
    bool readFile(const char* path);

    // True when any inconsistency was found; the records hold what was consistent.
    bool damaged() const { return problemCount > 0; }

    std::vector<Material3DS> materials; // in file order
    std::vector<Object3DS> objects;     // in file order
    std::vector<std::string> problems;  // the first kMaxProblems problems, as readable lines
    std::size_t problemCount = 0;       // all problems found
    bool opened = false;                // readFile could open and read the file
    bool tooLarge = false;              // readFile refused a file over kMaxFileBytes
    std::uintmax_t fileBytes = 0;       // size of the file readFile was given
    std::size_t materialsLeftOut = 0;   // materials past kMaxMaterials, not kept
    std::size_t objectsLeftOut = 0;     // objects past kMaxObjects, not kept
    std::size_t facesLeftOut = 0;       // group face numbers past kMaxDrawnFaces, not kept

private:
    class Walker; // cursor over the bytes of one chunk, bounded by its end
    struct Chunk; // one chunk's id, data span and file offset

    void clear();
    void problem(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::size_t offsetOf(const std::uint8_t* at) const { return std::size_t(at - fileBegin); }
    void readEditor(const Chunk& editor);
    void dropPages(const Chunk& chunk) const;
    void readMaterial(const Chunk& chunk, Material3DS& material);
    void readColour(const Chunk& chunk, Material3DS& material);
    void readTextureMap(const Chunk& chunk, Material3DS& material);
    void readObject(const Chunk& chunk, Object3DS& object);
    void readMesh(const Chunk& chunk, Object3DS& object);
    void readVertices(const Chunk& chunk, Object3DS& object);
    void readTexCoords(const Chunk& chunk, Object3DS& object);
    void readFaces(const Chunk& chunk, Object3DS& object);
    bool readGroup(const Chunk& chunk, Group3DS& group);
    void parse(const std::uint8_t* data, std::size_t size);
    void resolve();
    void resolveObject(Object3DS& object, const std::vector<int>& byName);

    template <typename T> RecordAllocator<T> allocator() const { return RecordAllocator<T>(arena); }

    std::shared_ptr<RecordArena> arena; // during parse, for files of kArenaMinBytes and more
    const std::uint8_t* fileBegin =
        nullptr; // file image during parse: problem lines give offsets in it
    const std::uint8_t* fileEnd = nullptr;
    bool fileMapped = false; // the image is readFile's own mapping: read pages may be dropped
    std::size_t drawnFaces = 0; // group face numbers kept so far, against kMaxDrawnFaces
};
