// libFuzzer entry: any bytes through the 3DS reader; then the invariants the
// drawing relies on, so a broken one stops the run like a crash would.
#include "model3ds/normals3ds.h"
#include "model3ds/reader3ds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader3DS reader;
    reader.read(data, size);
    for (const Object3DS& o : reader.objects) {
        const std::size_t vertices = std::size_t(o.vertexCount());
        const std::vector<float> normals = vertexNormals(o);
        bool ok =
            normals.size() == o.vertices.size() &&
            std::all_of(normals.begin(), normals.end(), [](float x) { return std::isfinite(x); }) &&
            (!o.textured || o.texCoords.size() >= 2 * vertices);
        for (const Group3DS& g : o.groups)
            ok = ok && g.material < int(reader.materials.size()) &&
                 std::all_of(g.drawn.begin(), g.drawn.end(), [&](std::uint16_t f) {
                     const auto corners = o.faces.record(f);
                     return f < o.faceCount() && corners[0] < vertices && corners[1] < vertices &&
                            corners[2] < vertices;
                 });
        if (!ok)
            std::abort();
    }
    return 0;
}
