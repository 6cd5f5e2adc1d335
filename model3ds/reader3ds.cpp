// Reader3DS: a bounded walk over the chunks of a 3DS file image, then a
// second pass over the records that checks every cross reference (face
// vertex indices, group face numbers, group materials).
#include "model3ds/reader3ds.h"

#include "console/printable.h"
#include "model3ds/reader3ds_mapping.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Chunk ids, little-endian 16-bit in the file.
constexpr std::uint16_t kEditor = 0x3D3D;
constexpr std::uint16_t kMaterial = 0xAFFF;
constexpr std::uint16_t kMaterialName = 0xA000;
constexpr std::uint16_t kDiffuse = 0xA020;
constexpr std::uint16_t kColourFloat = 0x0010;
constexpr std::uint16_t kColourByte = 0x0011;
constexpr std::uint16_t kColourByteGamma = 0x0012;
constexpr std::uint16_t kColourFloatGamma = 0x0013;
constexpr std::uint16_t kTextureMap = 0xA200;
constexpr std::uint16_t kMapFile = 0xA300;
constexpr std::uint16_t kObject = 0x4000;
constexpr std::uint16_t kMesh = 0x4100;
constexpr std::uint16_t kVertices = 0x4110;
constexpr std::uint16_t kFaces = 0x4120;
constexpr std::uint16_t kGroup = 0x4130;
constexpr std::uint16_t kMapping = 0x4140;

constexpr std::size_t kHeaderBytes = 6;  // id (2) + length (4)
constexpr std::size_t kVertexBytes = 12; // three floats
constexpr std::size_t kMappingBytes = 8; // two floats
constexpr std::size_t kFaceBytes = 8;    // a, b, c, flags: four 16-bit values
constexpr std::size_t kFaceNumberBytes = 2;

using packed::loadF32;
using packed::loadU16;
using packed::loadU32;

// A colour component in 0..1 as a byte, truncated toward zero; out-of-range
// and NaN values are clamped first, as a float-to-byte cast of them is undefined.
std::uint8_t colourByte(float value) {
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return 255;
    return std::uint8_t(value * 255.0f);
}

// True when a float's bits hold NaN or an infinity: every exponent bit set.
bool nonFiniteBits(std::uint32_t bits) {
    constexpr std::uint32_t kExponent = 0x7F800000;
    return (bits & kExponent) == kExponent;
}

} // namespace

struct Reader3DS::Chunk {
    std::uint16_t id = 0;
    const std::uint8_t* header = nullptr; // first byte of the chunk
    const std::uint8_t* begin = nullptr;  // first byte after the 6-byte header
    const std::uint8_t* end = nullptr;    // one past the chunk's last byte, never past its parent
};

class Reader3DS::Walker {
public:
    // A walk over [begin, end); a quiet walk (a counting pass) reports nothing.
    Walker(Reader3DS& reader, const std::uint8_t* begin, const std::uint8_t* end,
           bool quiet = false)
        : reader(reader), pos(begin), end(end), quiet(quiet) {}
    Walker(Reader3DS& reader, const Chunk& chunk, bool quiet = false)
        : Walker(reader, chunk.begin, chunk.end, quiet) {}

    std::size_t left() const { return std::size_t(end - pos); }
    const std::uint8_t* position() const { return pos; }
    // Moves on by count bytes; the caller has checked count <= left().
    void skip(std::size_t count) { pos += count; }

    // The next sub-chunk. A header that does not fit, or a length under 6,
    // ends the walk; a chunk reaching past the end is cut there, and being
    // the last one, also ends the walk after it.
    bool nextChunk(Chunk& chunk) {
        if (pos == end)
            return false;
        const std::size_t available = left();
        if (available < kHeaderBytes) {
            report("%zu bytes at offset %zu cannot hold a chunk header; they are skipped",
                   available, reader.offsetOf(pos));
            pos = end;
            return false;
        }
        const std::uint16_t id = loadU16(pos);
        const std::uint32_t length = loadU32(pos + 2);
        if (length < kHeaderBytes) {
            report("chunk 0x%04X at offset %zu: length %u is under 6; the rest of its parent is "
                   "skipped",
                   unsigned(id), reader.offsetOf(pos), unsigned(length));
            pos = end;
            return false;
        }
        std::size_t size = length;
        if (length > available) {
            report("chunk 0x%04X at offset %zu: length %u reaches past the end of %s (%zu bytes "
                   "left); it is cut there",
                   unsigned(id), reader.offsetOf(pos), unsigned(length),
                   end == reader.fileEnd ? "the file" : "its parent", available);
            size = available;
        }
        chunk.id = id;
        chunk.header = pos;
        chunk.begin = pos + kHeaderBytes;
        chunk.end = pos + size;
        pos += size;
        return true;
    }

    bool u16(std::uint16_t& value) {
        if (left() < 2)
            return false;
        value = loadU16(pos);
        pos += 2;
        return true;
    }

    // Reads a NUL-terminated name of chunk into text: cut to kMaxNameBytes,
    // ending at the chunk's end when the terminator is missing.
    void name(std::string& text, const Chunk& chunk) {
        const void* nul = std::memchr(pos, 0, left());
        const std::size_t length =
            nul ? std::size_t(static_cast<const std::uint8_t*>(nul) - pos) : left();
        text.assign(reinterpret_cast<const char*>(pos), std::min(length, kMaxNameBytes));
        if (!nul)
            report(
                "chunk 0x%04X at offset %zu: name \"%s\" has no terminator; it ends at its chunk",
                unsigned(chunk.id), reader.offsetOf(chunk.header), printable(text).c_str());
        else if (length > kMaxNameBytes)
            report("chunk 0x%04X at offset %zu: name of %zu bytes is cut to \"%s\"",
                   unsigned(chunk.id), reader.offsetOf(chunk.header), length,
                   printable(text).c_str());
        pos += nul ? length + 1 : length;
    }

private:
    template <typename... Args> void report(const char* format, Args... args) {
        if (!quiet)
            reader.problem(format, args...);
    }

    Reader3DS& reader;
    const std::uint8_t* pos;
    const std::uint8_t* end;
    bool quiet;
};

void Reader3DS::clear() {
    materials.clear();
    objects.clear();
    problems.clear();
    problemCount = 0;
    opened = false;
    tooLarge = false;
    changed = false;
    fileBytes = 0;
    fileBegin = fileEnd = nullptr;
    materialsLeftOut = 0;
    objectsLeftOut = 0;
    facesLeftOut = 0;
    drawnFaces = 0;
    image.reset();
}

void Reader3DS::problem(const char* format, ...) {
    ++problemCount;
    if (problems.size() >= kMaxProblems)
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    problems.emplace_back(line);
}

bool Reader3DS::read(const std::uint8_t* data, std::size_t size) {
    auto copy = std::make_shared<std::vector<std::uint8_t>>(data, data + size);
    const std::uint8_t* bytes = copy->data();
    return readImage(std::shared_ptr<const void>(std::move(copy), bytes), size);
}

bool Reader3DS::readImage(std::shared_ptr<const void> bytes, std::size_t size) {
    clear();
    opened = true;
    parse(std::move(bytes), size);
    resolve();
    image.reset(); // the records keep it as long as they need it
    return !damaged();
}

void (*Reader3DS::testHookAfterOpen)(const char*) = nullptr;

namespace {

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool Reader3DS::readFile(const char* path) {
    clear();
    // Only regular files: a device or a pipe could be endless, and opening a
    // FIFO waits for a writer. Checked before opening, and again on the open
    // file (non-blocking, so a FIFO put in its place meanwhile cannot hang).
    struct stat status;
    if (!path || ::stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    fileBytes = std::uintmax_t(status.st_size);
    if (fileBytes > kMaxFileBytes) {
        tooLarge = true;
        return false;
    }
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        std::uintmax_t(status.st_size) > kMaxFileBytes) {
        tooLarge = S_ISREG(status.st_mode) && std::uintmax_t(status.st_size) > kMaxFileBytes;
        ::close(fd);
        return false;
    }
    fileBytes = std::uintmax_t(status.st_size);
    const std::size_t size = std::size_t(fileBytes);
    // The page cache's own pages, mapped: no copy of the file is made (a
    // copy costs a fresh page of memory per 4 KB, ten times the read; see
    // bench/, readFileCopyVsMap). Pages that another program cuts from the
    // file meanwhile read as zeros instead of faulting (Mapping).
    std::shared_ptr<const void> bytes;
    std::shared_ptr<mapping3ds::Mapping> mapping;
    bool whole = true;
    if (size > 0)
        mapping = mapping3ds::Mapping::map(fd, size);
    if (mapping) {
        bytes = std::shared_ptr<const void>(mapping, mapping->data());
    } else if (size > 0) {
        // No mapping to be had: a copy, read as the file is now.
        std::shared_ptr<std::uint8_t> copy(new std::uint8_t[size],
                                           std::default_delete<std::uint8_t[]>());
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(fd, copy.get() + done, size - done, off_t(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                ::close(fd);
                return false; // an input error: not read
            }
            if (got == 0)
                break;
            done += std::size_t(got);
        }
        whole = done == size;
        bytes = std::move(copy);
    }
    if (testHookAfterOpen)
        testHookAfterOpen(path);
    opened = true;
    parse(std::move(bytes), size);
    resolve();
    image.reset(); // the records keep it as long as they need it
    // Cut short, grown or written while read (its times moved): the records
    // may be half of one save and half of another, or zeros. None are kept;
    // the writer's last change is seen by whoever watches the file, and the
    // file read again then.
    struct stat after;
    changed = !whole || (mapping && mapping->cut()) || ::fstat(fd, &after) != 0 ||
              after.st_size != status.st_size || !sameTime(after.st_mtim, status.st_mtim) ||
              !sameTime(after.st_ctim, status.st_ctim);
    ::close(fd);
    if (changed) {
        materials.clear();
        objects.clear();
        problems.clear();
        problemCount = 0;
        materialsLeftOut = objectsLeftOut = facesLeftOut = 0;
        opened = false;
        return false;
    }
    return !damaged();
}

void Reader3DS::parse(std::shared_ptr<const void> bytes, std::size_t size) {
    image = std::move(bytes);
    const auto* data = static_cast<const std::uint8_t*>(image.get());
    fileBegin = data;
    fileEnd = data + size;
    if (size < kHeaderBytes) {
        problem("the file has %zu bytes, too few for a chunk header", size);
        return;
    }
    // The main chunk's id is not checked; bytes after it are not part of the model.
    Walker file(*this, data, data + size);
    Chunk main;
    if (!file.nextChunk(main))
        return;
    // The records of every editor block are counted first and allocated once,
    // to size: grown chunk by chunk they would keep spare capacity, and a
    // file of tiny object chunks would pass kMaxRecordBytesPerFileByte.
    std::size_t materialCount = 0;
    std::size_t objectCount = 0;
    Walker editors(*this, main, true);
    Chunk chunk;
    while (editors.nextChunk(chunk)) {
        if (chunk.id != kEditor)
            continue;
        Walker count(*this, chunk, true);
        Chunk sub;
        while (count.nextChunk(sub)) {
            materialCount += sub.id == kMaterial;
            objectCount += sub.id == kObject;
        }
    }
    materials.reserve(std::min(materialCount, kMaxMaterials));
    objects.reserve(std::min(objectCount, kMaxObjects));

    Walker walk(*this, main);
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kEditor:
            readEditor(chunk);
            break;
        default:
            break;
        }
    if (materialsLeftOut)
        problem("%zu materials past the first %zu are left out; groups naming them are drawn "
                "untextured",
                materialsLeftOut, kMaxMaterials);
    if (objectsLeftOut)
        problem("%zu objects past the first %zu are left out", objectsLeftOut, kMaxObjects);
    fileBegin = fileEnd = nullptr;
}

void Reader3DS::readEditor(const Chunk& editor) {
    Chunk chunk;
    Walker walk(*this, editor);
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kMaterial:
            // Each material costs a texture lookup and maybe a directory scan.
            if (materials.size() >= kMaxMaterials) {
                ++materialsLeftOut;
                break;
            }
            materials.emplace_back();
            readMaterial(chunk, materials.back());
            break;
        case kObject:
            if (objects.size() >= kMaxObjects) {
                ++objectsLeftOut;
                break;
            }
            objects.emplace_back();
            readObject(chunk, objects.back());
            break;
        default:
            break;
        }
}

void Reader3DS::readMaterial(const Chunk& material, Material3DS& record) {
    Walker walk(*this, material);
    Chunk chunk;
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kMaterialName: {
            Walker text(*this, chunk);
            text.name(record.name, chunk);
            break;
        }
        case kDiffuse:
            readColour(chunk, record);
            break;
        case kTextureMap:
            readTextureMap(chunk, record);
            break;
        default:
            break;
        }
}

// A colour block holds one colour: the first colour chunk. A second one (the
// gamma-corrected twin some exporters add after it) is not read.
void Reader3DS::readColour(const Chunk& colour, Material3DS& record) {
    Walker walk(*this, colour);
    Chunk chunk;
    while (walk.nextChunk(chunk)) {
        const std::size_t size = std::size_t(chunk.end - chunk.begin);
        switch (chunk.id) {
        case kColourFloat:
        case kColourFloatGamma:
            if (size < 3 * sizeof(float)) {
                problem("chunk 0x%04X at offset %zu: %zu bytes cannot hold a colour of 3 floats",
                        unsigned(chunk.id), offsetOf(chunk.header), size);
                break;
            }
            for (int i = 0; i < 3; ++i)
                record.colour[i] = colourByte(loadF32(chunk.begin + 4 * i));
            record.colour[3] = 255;
            return;
        case kColourByte:
        case kColourByteGamma:
            if (size < 3) {
                problem("chunk 0x%04X at offset %zu: %zu bytes cannot hold a colour of 3 bytes",
                        unsigned(chunk.id), offsetOf(chunk.header), size);
                break;
            }
            for (int i = 0; i < 3; ++i)
                record.colour[i] = chunk.begin[i];
            record.colour[3] = 255;
            return;
        default:
            break;
        }
    }
}

void Reader3DS::readTextureMap(const Chunk& map, Material3DS& record) {
    Walker walk(*this, map);
    Chunk chunk;
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kMapFile: {
            Walker text(*this, chunk);
            text.name(record.textureMap, chunk);
            break;
        }
        default:
            break;
        }
}

void Reader3DS::readObject(const Chunk& object, Object3DS& record) {
    Walker walk(*this, object);
    walk.name(record.name, object);
    Chunk chunk;
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kMesh:
            readMesh(chunk, record);
            break;
        default:
            break;
        }
}

// Faces are checked against the vertices only in resolve(), so the order of
// the mesh's sub-chunks does not matter and one walk suffices.
void Reader3DS::readMesh(const Chunk& mesh, Object3DS& record) {
    Walker walk(*this, mesh);
    Chunk chunk;
    while (walk.nextChunk(chunk))
        switch (chunk.id) {
        case kVertices:
            readVertices(chunk, record);
            break;
        case kMapping:
            readTexCoords(chunk, record);
            break;
        case kFaces:
            readFaces(chunk, record);
            break;
        default:
            break;
        }
}

void Reader3DS::readVertices(const Chunk& chunk, Object3DS& record) {
    Walker walk(*this, chunk);
    std::uint16_t count = 0;
    if (!walk.u16(count)) {
        problem("chunk 0x%04X at offset %zu: no vertex count; the chunk is left out",
                unsigned(chunk.id), offsetOf(chunk.header));
        return;
    }
    const std::size_t fits = walk.left() / kVertexBytes;
    if (count > fits) {
        problem("chunk 0x%04X at offset %zu: %u vertices do not fit in it; the %zu that fit are "
                "read",
                unsigned(chunk.id), offsetOf(chunk.header), unsigned(count), fits);
        count = std::uint16_t(fits);
    }
    // Read through the view, y up (see packed::YUpVertices); here only
    // checked, first as one run of floats (the common case: all finite).
    const std::uint8_t* in = walk.position();
    record.vertices = view<packed::YUpVertices>(in, count);
    std::size_t nonFiniteFloats = 0;
    for (std::size_t k = 0; k < 3 * std::size_t(count); ++k)
        nonFiniteFloats += nonFiniteBits(loadU32(in + 4 * k));
    std::size_t nonFinite = 0;
    for (std::size_t v = 0; nonFiniteFloats && v < count; ++v, in += kVertexBytes)
        nonFinite += nonFiniteBits(loadU32(in)) | nonFiniteBits(loadU32(in + 4)) |
                     nonFiniteBits(loadU32(in + 8));
    record.nonFiniteVertices = nonFinite;
}

void Reader3DS::readTexCoords(const Chunk& chunk, Object3DS& record) {
    Walker walk(*this, chunk);
    std::uint16_t count = 0;
    if (!walk.u16(count)) {
        problem("chunk 0x%04X at offset %zu: no mapping coordinate count; the chunk is left out",
                unsigned(chunk.id), offsetOf(chunk.header));
        return;
    }
    const std::size_t fits = walk.left() / kMappingBytes;
    if (count > fits) {
        problem("chunk 0x%04X at offset %zu: %u mapping coordinates do not fit in it; the %zu "
                "that fit are read",
                unsigned(chunk.id), offsetOf(chunk.header), unsigned(count), fits);
        count = std::uint16_t(fits);
    }
    record.texCoords = view<packed::FloatPairs>(walk.position(), count);
    record.textured = true;
}

void Reader3DS::readFaces(const Chunk& chunk, Object3DS& record) {
    Walker walk(*this, chunk);
    std::uint16_t count = 0;
    if (!walk.u16(count)) {
        problem("chunk 0x%04X at offset %zu: no face count; the chunk is left out",
                unsigned(chunk.id), offsetOf(chunk.header));
        return;
    }
    const std::size_t fits = walk.left() / kFaceBytes;
    const bool complete = count <= fits;
    if (!complete) {
        problem("chunk 0x%04X at offset %zu: %u faces do not fit in it; the %zu that fit are "
                "read, without material groups",
                unsigned(chunk.id), offsetOf(chunk.header), unsigned(count), fits);
        count = std::uint16_t(fits);
    }
    record.groups.clear();
    const std::uint8_t* in = walk.position();
    record.faces = view<packed::FaceCorners>(in, count);
    std::uint16_t highest = 0;
    for (std::size_t f = 0; f < count; ++f, in += kFaceBytes)
        highest = std::max({highest, loadU16(in), loadU16(in + 2), loadU16(in + 4)});
    record.highestCorner = highest;
    // The groups follow the face data; where it ends is unknown when it did not fit.
    if (!complete)
        return;
    walk.skip(kFaceBytes * count);

    std::size_t groupCount = 0;
    Walker counting(*this, walk.position(), chunk.end, true);
    Chunk sub;
    while (counting.nextChunk(sub))
        groupCount += sub.id == kGroup;
    record.groups.reserve(groupCount);
    while (walk.nextChunk(sub))
        switch (sub.id) {
        case kGroup:
            record.groups.emplace_back();
            if (!readGroup(sub, record.groups.back()))
                record.groups.pop_back();
            break;
        default:
            break;
        }
}

bool Reader3DS::readGroup(const Chunk& chunk, Group3DS& group) {
    Walker walk(*this, chunk);
    walk.name(group.materialName, chunk);
    std::uint16_t count = 0;
    if (!walk.u16(count)) {
        problem("chunk 0x%04X at offset %zu: group \"%s\" has no face count; it is left out",
                unsigned(chunk.id), offsetOf(chunk.header), printable(group.materialName).c_str());
        return false;
    }
    const std::size_t fits = walk.left() / kFaceNumberBytes;
    if (count > fits) {
        problem("chunk 0x%04X at offset %zu: %u face numbers do not fit in it; the %zu that fit "
                "are read",
                unsigned(chunk.id), offsetOf(chunk.header), unsigned(count), fits);
        count = std::uint16_t(fits);
    }
    const std::uint8_t* in = walk.position();
    group.faces = view<packed::Words>(in, count);
    std::uint16_t highest = 0;
    for (std::size_t k = 0; k < count; ++k)
        highest = std::max(highest, loadU16(in + kFaceNumberBytes * k));
    group.highestFace = highest;
    return true;
}

void Reader3DS::resolve() {
    // Material indices ordered by name, equal names by file order, so a
    // lookup finds the first material of a name in logarithmic time.
    std::vector<int> byName(materials.size());
    std::iota(byName.begin(), byName.end(), 0);
    std::stable_sort(byName.begin(), byName.end(),
                     [this](int a, int b) { return materials[a].name < materials[b].name; });
    for (Object3DS& object : objects)
        resolveObject(object, byName);
    if (facesLeftOut)
        problem("%zu group face numbers past the first %zu drawn faces are left out", facesLeftOut,
                kMaxDrawnFaces);
}

void Reader3DS::resolveObject(Object3DS& object, const std::vector<int>& byName) {
    const std::size_t vertexCount = object.vertices.size() / 3;
    const std::size_t faceCount = object.faces.size() / 3;
    const PackedArray<packed::FaceCorners>& faces = object.faces;
    const auto inRange = [&](std::size_t f) {
        const auto corners = faces.record(f);
        return corners[0] < vertexCount && corners[1] < vertexCount && corners[2] < vertexCount;
    };
    // A vertex at NaN or infinity cannot be drawn, and its faces would make
    // the normal of every vertex they share NaN: those faces are left out as
    // if the vertex were missing. Flags are made only for a mesh that has one.
    std::vector<bool> unusable;
    std::size_t unusableCount = 0;
    for (std::size_t v = 0; object.nonFiniteVertices && v < vertexCount; ++v) {
        const auto xyz = object.vertices.record(v);
        if (std::isfinite(xyz[0]) && std::isfinite(xyz[1]) && std::isfinite(xyz[2]))
            continue;
        if (unusable.empty())
            unusable.resize(vertexCount);
        unusable[v] = true;
        ++unusableCount;
    }
    const auto faceIsValid = [&](std::size_t f) {
        if (!inRange(f))
            return false;
        const auto corners = faces.record(f);
        return unusable.empty() ||
               !(unusable[corners[0]] || unusable[corners[1]] || unusable[corners[2]]);
    };

    std::size_t pastVertices = 0;
    for (std::size_t f = 0; object.highestCorner >= vertexCount && f < faceCount; ++f)
        pastVertices += !inRange(f);
    std::size_t badFaces = pastVertices;
    if (unusableCount) {
        badFaces = 0;
        for (std::size_t f = 0; f < faceCount; ++f)
            badFaces += !faceIsValid(f);
    }
    if (pastVertices)
        problem("object \"%s\": %zu of its %zu faces name a vertex past its %zu vertices; they "
                "are not drawn",
                printable(object.name).c_str(), pastVertices, faceCount, vertexCount);
    if (unusableCount)
        problem("object \"%s\": %zu of its %zu vertices are not finite numbers; the %zu faces "
                "using them are not drawn",
                printable(object.name).c_str(), unusableCount, vertexCount,
                badFaces - pastVertices);

    // Drawing reads a pair for every vertex.
    if (object.textured && object.texCoords.size() / 2 < vertexCount) {
        problem("object \"%s\": %zu mapping coordinates for %zu vertices; the missing ones are "
                "(0, 0)",
                printable(object.name).c_str(), object.texCoords.size() / 2, vertexCount);
        object.texCoords.resize(2 * vertexCount);
    }

    for (Group3DS& group : object.groups) {
        const auto found = std::lower_bound(
            byName.begin(), byName.end(), group.materialName,
            [this](int m, const std::string& name) { return materials[m].name < name; });
        group.material =
            found != byName.end() && materials[*found].name == group.materialName ? *found : -1;
        if (group.material < 0)
            problem("object \"%s\": group names no material \"%s\"; it is drawn untextured",
                    printable(object.name).c_str(), printable(group.materialName).c_str());

        // Only the face numbers within the model's budget of drawn faces.
        const PackedArray<packed::Words>& numbers = group.faces;
        const std::size_t taken = std::min(numbers.size(), kMaxDrawnFaces - drawnFaces);
        facesLeftOut += numbers.size() - taken;
        drawnFaces += taken;
        // The common case, every face number naming a sound face: the
        // numbers as written are the ones drawn.
        if (badFaces == 0 && (taken == 0 || group.highestFace < faceCount)) {
            group.drawn = numbers;
            group.drawn.resize(taken);
            continue;
        }
        // Else the numbers of the sound faces, little-endian as in the file.
        auto kept = std::make_shared<std::vector<std::uint8_t>>();
        kept->reserve(kFaceNumberBytes * taken);
        std::size_t pastFaces = 0;
        for (std::size_t k = 0; k < taken; ++k) {
            const std::uint16_t f = numbers[k];
            if (f >= faceCount) {
                ++pastFaces;
                continue;
            }
            if (!faceIsValid(f))
                continue; // already reported with the faces
            kept->push_back(std::uint8_t(f));
            kept->push_back(std::uint8_t(f >> 8));
        }
        const std::uint8_t* first = kept->data();
        const std::size_t count = kept->size() / kFaceNumberBytes;
        group.drawn = PackedArray<packed::Words>(
            std::shared_ptr<const void>(std::move(kept), first), first, count);
        if (pastFaces)
            problem(
                "object \"%s\": group \"%s\": %zu face numbers are past its %zu faces; they are "
                "left out",
                printable(object.name).c_str(), printable(group.materialName).c_str(), pastFaces,
                faceCount);
    }
}

std::size_t ungroupedFaces(const Object3DS& object) {
    const std::size_t count = std::size_t(object.faceCount());
    // One byte a face (at most 64 KB): marked without a branch, counted once.
    std::vector<std::uint8_t> grouped(count + 1);
    for (const Group3DS& group : object.groups)
        for (std::size_t k = 0; k < group.faces.size(); ++k)
            grouped[std::min<std::size_t>(group.faces[k], count)] = 1;
    return count - std::size_t(std::count(grouped.begin(), grouped.end() - 1, 1));
}
