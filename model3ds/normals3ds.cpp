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
    const float* v = object.vertices.data();
    const std::uint16_t* face = object.faces.data();
    std::vector<float> normals(3 * vertexCount, 0.0f);
    float* n = normals.data();
    for (std::size_t f = 0; f < faceCount; ++f) {
        const std::size_t a = 3 * std::size_t(face[3 * f]);
        const std::size_t b = 3 * std::size_t(face[3 * f + 1]);
        const std::size_t c = 3 * std::size_t(face[3 * f + 2]);
        if (a >= normals.size() || b >= normals.size() || c >= normals.size())
            continue; // the reader has reported it; it is not drawn
        const float e1x = v[b] - v[c], e1y = v[b + 1] - v[c + 1], e1z = v[b + 2] - v[c + 2];
        const float e2x = v[b] - v[a], e2y = v[b + 1] - v[a + 1], e2z = v[b + 2] - v[a + 2];
        const float nx = e1y * e2z - e1z * e2y;
        const float ny = e1z * e2x - e1x * e2z;
        const float nz = e1x * e2y - e1y * e2x;
        // A vertex at NaN or infinity, or so far out that the normal is
        // beyond kMaxFaceNormal: the face adds nothing rather than make its
        // corners NaN. One compare, false for NaN too.
        if (!(std::fabs(nx) + std::fabs(ny) + std::fabs(nz) <= kMaxFaceNormal))
            continue;
        for (std::size_t k : {a, b, c}) {
            n[k] += nx;
            n[k + 1] += ny;
            n[k + 2] += nz;
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
