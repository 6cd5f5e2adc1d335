// Reader3DS: turns the bytes of a 3DS file into plain records (materials,
// mesh objects, material groups) without any GL call, and lists every
// inconsistency it meets. Any input at all is read to whatever part of it is
// consistent: every read is checked against the end of its chunk first, no
// count is trusted beyond what its chunk holds, and no index is ever used
// outside its array. Time is linear in the file size, and memory stays within
// a small multiple of it (see kMaxRecordBytesPerFileByte).
//
// The records' arrays view the reader's one copy of the file's bytes
// (PackedArray) and keep it alive: a read writes nothing for a sound model
// but that copy and its small records, and the arrays are read once, by
// whoever builds what is drawn. A file that changes while it is read (an
// exporter saving it again) is named as changed and gives no records.
#pragma once

#include "model3ds/packedarray.h"

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
    PackedArray<packed::Words> faces; // face numbers as written (may name missing faces)
    // The face numbers drawn, in file order: those naming a face that exists
    // and has finite vertices, within the model's budget (kMaxDrawnFaces). A
    // view of faces when that is all of them.
    PackedArray<packed::Words> drawn;
    std::uint16_t highestFace = 0; // the highest face number written, found as they are read
};

// One object (chunk 0x4000) with its triangle mesh, if any.
struct Object3DS {
    std::string name; // at most 79 bytes
    // x, y, z per vertex; y up: the file's (x, y, z) is read as (x, z, -y).
    PackedArray<packed::YUpVertices> vertices;
    // u, v per vertex when textured: at least a pair per vertex, (0, 0) past the file's.
    PackedArray<packed::FloatPairs> texCoords;
    // a, b, c per face as written (may name missing vertices).
    PackedArray<packed::FaceCorners> faces;
    std::vector<Group3DS> groups; // in file order
    bool textured = false;        // the mesh has mapping coordinates
    // Vertices with a NaN or infinite coordinate, counted as they are read;
    // their faces are left out of the groups.
    std::size_t nonFiniteVertices = 0;
    // The highest vertex number a face names, found as they are read: when
    // it is under the vertex count, no face need be checked on its own.
    std::uint16_t highestCorner = 0;

    int vertexCount() const { return int(vertices.size() / 3); }
    int faceCount() const { return int(faces.size() / 3); }
};

// Faces of object that no material group names: they are not drawn (a
// model exported without materials draws nothing).
std::size_t ungroupedFaces(const Object3DS& object);

class Reader3DS {
public:
    static constexpr std::size_t kMaxNameBytes = 79; // longer names are cut to this many bytes
    static constexpr std::size_t kMaxProblems =
        64; // problems kept as text; the rest are only counted
    // Bound on what a read allocates, per byte of file (records, the face
    // numbers kept of damaged groups, and read()'s copy of the bytes); the
    // mutation tests hold the reader to it.
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
    Reader3DS() = default;

    // Reads a whole file image from a copy of its bytes, which the records
    // keep: the bytes must stay valid during the call only. Returns false
    // when the image is damaged (see problems).
    bool read(const std::uint8_t* data, std::size_t size);
    // Reads a whole file image that the records keep: image holds size
    // bytes and is shared with them (no copy is made).
    bool readImage(std::shared_ptr<const void> image, std::size_t size);
    // Reads the regular file at path into a buffer of its own and reads that
    // as readImage does. Returns false when it is refused, cannot be opened
    // or read, changed while it was read, or is damaged; tooLarge, opened
    // and changed tell which.
    bool readFile(const char* path);
    // Called by readFile with the path once the file is open, before its
    // bytes are read; null but in tests, which change the file there as
    // another program could.
    static void (*testHookAfterOpen)(const char* path);

    // True when any inconsistency was found; the records hold what was consistent.
    bool damaged() const { return problemCount > 0; }

    std::vector<Material3DS> materials; // in file order
    std::vector<Object3DS> objects;     // in file order
    std::vector<std::string> problems;  // the first kMaxProblems problems, as readable lines
    std::size_t problemCount = 0;       // all problems found
    bool opened = false;                // readFile could open and read the file
    bool tooLarge = false;              // readFile refused a file over kMaxFileBytes
    bool changed = false;         // the file changed while readFile read it: nothing of it is kept
    std::uintmax_t fileBytes = 0; // size of the file readFile was given
    std::size_t materialsLeftOut = 0; // materials past kMaxMaterials, not kept
    std::size_t objectsLeftOut = 0;   // objects past kMaxObjects, not kept
    std::size_t facesLeftOut = 0;     // group face numbers past kMaxDrawnFaces, not kept

private:
    class Walker; // cursor over the bytes of one chunk, bounded by its end
    struct Chunk; // one chunk's id, data span and file offset

    void clear();
    void problem(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::size_t offsetOf(const std::uint8_t* at) const { return std::size_t(at - fileBegin); }
    void readEditor(const Chunk& editor);
    void readMaterial(const Chunk& chunk, Material3DS& material);
    void readColour(const Chunk& chunk, Material3DS& material);
    void readTextureMap(const Chunk& chunk, Material3DS& material);
    void readObject(const Chunk& chunk, Object3DS& object);
    void readMesh(const Chunk& chunk, Object3DS& object);
    void readVertices(const Chunk& chunk, Object3DS& object);
    void readTexCoords(const Chunk& chunk, Object3DS& object);
    void readFaces(const Chunk& chunk, Object3DS& object);
    bool readGroup(const Chunk& chunk, Group3DS& group);
    void parse(std::shared_ptr<const void> image, std::size_t size);
    void resolve();
    void resolveObject(Object3DS& object, const std::vector<int>& byName);
    // A view of count records of Layout from at on, in the file image.
    template <typename Layout>
    PackedArray<Layout> view(const std::uint8_t* at, std::size_t count) const {
        return PackedArray<Layout>(image, at, count);
    }

    std::shared_ptr<const void> image; // the file's bytes, during a read
    const std::uint8_t* fileBegin =
        nullptr; // file image during parse: problem lines give offsets in it
    const std::uint8_t* fileEnd = nullptr;
    std::size_t drawnFaces = 0; // group face numbers kept so far, against kMaxDrawnFaces
};
