// libFuzzer entry: any bytes through the 3DS reader; then the invariants the
// drawing relies on, so a broken one stops the run like a crash would.
#include "model3ds/normals3ds.h"
#include "model3ds/reader3ds.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader3DS reader;
    reader.read(data, size);
    for (const Object3DS& object : reader.objects) {
        const std::size_t vertices = std::size_t(object.vertexCount());
        if (vertexNormals(object).size() != object.vertices.size() ||
            (object.textured && object.texCoords.size() < 2 * vertices))
            std::abort();
        for (const Group3DS& group : object.groups) {
            if (group.material >= int(reader.materials.size()) || group.indices.size() % 3)
                std::abort();
            for (std::uint16_t index : group.indices)
                if (index >= vertices)
                    std::abort();
        }
    }
    return 0;
}
