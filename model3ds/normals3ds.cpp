// Vertex normals of a 3DS object: one pass over the faces summing face
// normals, one pass making the sums unit length.
#include "model3ds/normals3ds.h"

#include <cmath>

namespace {

// Largest face normal summed, as |x| + |y| + |z|: a vertex takes the normal
// of at most 65535 faces (one naming it twice has a zero normal), so its sum
// stays finite (65535 x 1e30 < 3.4e38). Only faces with edges over about
// 1e15 units are beyond it.
constexpr float kMaxFaceNormal = 1e30f;

} // namespace

std::vector<float> vertexNormals(const Object3DS& object) {
    const std::size_t vertexCount = object.vertices.size() / 3;
    const std::size_t faceCount = object.faces.size() / 3;
    std::vector<float> normals(3 * vertexCount, 0.0f);
    float* n = normals.data();
    for (std::size_t f = 0; f < faceCount; ++f) {
        const auto corners = object.faces.record(f);
        if (corners[0] >= vertexCount || corners[1] >= vertexCount || corners[2] >= vertexCount)
            continue; // the reader has reported it; it is not drawn
        const auto a = object.vertices.record(corners[0]);
        const auto b = object.vertices.record(corners[1]);
        const auto c = object.vertices.record(corners[2]);
        const float e1x = b[0] - c[0], e1y = b[1] - c[1], e1z = b[2] - c[2];
        const float e2x = b[0] - a[0], e2y = b[1] - a[1], e2z = b[2] - a[2];
        const float nx = e1y * e2z - e1z * e2y;
        const float ny = e1z * e2x - e1x * e2z;
        const float nz = e1x * e2y - e1y * e2x;
        // A vertex at NaN or infinity, or so far out that the normal is
        // beyond kMaxFaceNormal: the face adds nothing rather than make its
        // corners NaN. One compare, false for NaN too.
        if (!(std::fabs(nx) + std::fabs(ny) + std::fabs(nz) <= kMaxFaceNormal))
            continue;
        for (const std::uint16_t corner : corners) {
            float* sum = n + 3 * std::size_t(corner);
            sum[0] += nx;
            sum[1] += ny;
            sum[2] += nz;
        }
    }
    // A zero normal is divided by 1 and stays zero; a sum too large to
    // square (over about 1e19, but finite) has an infinite length and becomes
    // zero too. Branch-free (length + 1 only when the length is 0), so the
    // compiler does several at once.
    for (std::size_t i = 0; i < 3 * vertexCount; i += 3) {
        const float x = n[i], y = n[i + 1], z = n[i + 2];
        const float length = std::sqrt(x * x + y * y + z * z);
        const float divisor = length + float(length == 0.0f);
        n[i] = x / divisor;
        n[i + 1] = y / divisor;
        n[i + 2] = z / divisor;
    }
    return normals;
}
