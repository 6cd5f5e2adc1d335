// ViewVolume: plane extraction from the clip matrix, and bounding spheres
// worked out from each blueprint class's own geometry.
#include "world/viewvolume.h"

#include "model3ds/model3ds.h"
#include "scene/girder.h"
#include "scene/quad.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;
constexpr float kCellSize = 2.0f; // a quad's grid reaches up to one cell past its upper edge
// Slack for the float rounding of the transformed corners, world units.
constexpr float kMargin = 0.01f;

// Rotates v by angle degrees about the unit axis (0 x, 1 y, 2 z), as glRotatef does.
void rotate(float v[3], float degrees, int axis) {
    if (degrees == 0.0f)
        return;
    const float c = std::cos(degrees * kDegrees), s = std::sin(degrees * kDegrees);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    const float va = v[a], vb = v[b];
    v[a] = c * va - s * vb;
    v[b] = s * va + c * vb;
}

// A model's own box, measured when it was loaded.
Box modelBox(const Model_3DS& model) {
    Box box;
    std::copy(model.low, model.low + 3, box.lo);
    std::copy(model.high, model.high + 3, box.hi);
    return box;
}

// Calls corner(x, y, z) for each of the box's eight corners.
template <typename Corner> void eachCorner(const Box& box, Corner corner) {
    for (int i = 0; i < 8; ++i)
        corner(i & 1 ? box.hi[0] : box.lo[0], i & 2 ? box.hi[1] : box.lo[1],
               i & 4 ? box.hi[2] : box.lo[2]);
}

} // namespace

void Box::add(float x, float y, float z) {
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], p[i]);
        hi[i] = std::max(hi[i], p[i]);
    }
}

void Box::add(const Box& other) {
    for (int i = 0; i < 3; ++i) {
        lo[i] = std::min(lo[i], other.lo[i]);
        hi[i] = std::max(hi[i], other.hi[i]);
    }
}

bool Box::known() const {
    for (int i = 0; i < 3; ++i)
        if (!(lo[i] <= hi[i]) || !std::isfinite(lo[i]) || !std::isfinite(hi[i]))
            return false;
    return true;
}

Sphere Box::sphere() const {
    Sphere s;
    if (!(lo[0] <= hi[0] && lo[1] <= hi[1] && lo[2] <= hi[2]))
        return s;
    s.x = (lo[0] + hi[0]) / 2;
    s.y = (lo[1] + hi[1]) / 2;
    s.z = (lo[2] + hi[2]) / 2;
    const float dx = hi[0] - s.x, dy = hi[1] - s.y, dz = hi[2] - s.z;
    s.radius = std::sqrt(dx * dx + dy * dy + dz * dz) + kMargin;
    // Beyond a float's range (a centre too): unknown, so always drawn.
    if (!std::isfinite(s.radius))
        return Sphere();
    return s;
}

Sphere sphereAround(const float* lowest, const float* highest) {
    Box box;
    box.add(lowest[0], lowest[1], lowest[2]);
    box.add(highest[0], highest[1], highest[2]);
    return box.sphere();
}

Sphere Sphere::merged(const Sphere& other) const {
    if (!known() || !other.known())
        return Sphere();
    // The smallest sphere around both: a box around them would grow the
    // sphere of a batch by about 1.7 times with every object merged in.
    const float dx = other.x - x, dy = other.y - y, dz = other.z - z;
    const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (d + other.radius <= radius)
        return *this;
    if (d + radius <= other.radius)
        return other;
    Sphere both;
    both.radius = (d + radius + other.radius) / 2;
    const float along = (both.radius - radius) / d; // d > 0: neither holds the other
    both.x = x + dx * along;
    both.y = y + dy * along;
    both.z = z + dz * along;
    both.radius += kMargin; // against rounding
    if (!std::isfinite(both.radius) || !std::isfinite(both.x) || !std::isfinite(both.y) ||
        !std::isfinite(both.z))
        return Sphere(); // beyond a float's range: unknown, so always drawn
    return both;
}

void ViewVolume::fromGL() {
    GLfloat p[16], m[16], c[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // c = p * m, column-major like GL.
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += p[k * 4 + row] * m[col * 4 + k];
            c[col * 4 + row] = sum;
        }
    // Rows of the clip matrix: w +- x, w +- y, w +- z >= 0 inside.
    for (int i = 0; i < 6; ++i) {
        const int axis = i / 2;
        const float sign = (i % 2 == 0) ? 1.0f : -1.0f;
        float len = 0;
        for (int k = 0; k < 4; ++k) {
            planes[i][k] = c[k * 4 + 3] + sign * c[k * 4 + axis];
            if (k < 3)
                len += planes[i][k] * planes[i][k];
        }
        len = std::sqrt(len);
        for (int k = 0; k < 4; ++k)
            planes[i][k] = len > 0 ? planes[i][k] / len : (k == 3 ? 1.0f : 0.0f);
    }
}

bool ViewVolume::outside(const Sphere& s) const {
    if (!s.known())
        return false;
    for (const auto& plane : planes)
        if (plane[0] * s.x + plane[1] * s.y + plane[2] * s.z + plane[3] < -s.radius)
            return true;
    return false;
}

Sphere boundingSphere(const TObject* blueprint, const TObject& placement) {
    if (auto* girder = dynamic_cast<const Girder*>(blueprint)) {
        Box box;
        for (const FPoint& p : girder->cornersAt(placement.position))
            box.add(p.x, p.y, p.z);
        Sphere s = box.sphere();
        // draw turns the corners about the world origin: y, then x, then z
        // (the matrix Ry Rx Rz, so a point meets z first).
        float v[3] = {s.x, s.y, s.z};
        rotate(v, placement.rotation.z, 2);
        rotate(v, placement.rotation.x, 0);
        rotate(v, placement.rotation.y, 1);
        s.x = v[0], s.y = v[1], s.z = v[2];
        return s;
    }
    if (auto* quad = dynamic_cast<const Quad*>(blueprint)) {
        // A road piece's length comes from the placement's scale.
        const Quad::Grid grid = quad->gridAt(placement);
        const float w = grid.width, d = grid.height;
        const FPoint& p = grid.centre;
        Box box;
        box.add(std::trunc(p.x - w / 2) - kCellSize, p.y, std::trunc(p.z - d / 2) - kCellSize);
        box.add(p.x + w / 2 + kCellSize, p.y, p.z + d / 2 + kCellSize);
        return box.sphere();
    }
    if (auto* model = dynamic_cast<const Model_3DS*>(blueprint)) {
        Sphere s = modelBox(*model).sphere();
        if (!s.known())
            return s;
        // draw: translate, rotate about x, y, z, scale.
        const FPoint& scale = placement.scale;
        const FPoint& rotation = placement.rotation;
        float v[3] = {s.x * scale.x, s.y * scale.y, s.z * scale.z};
        rotate(v, rotation.z, 2);
        rotate(v, rotation.y, 1);
        rotate(v, rotation.x, 0);
        const float k = std::max({std::fabs(scale.x), std::fabs(scale.y), std::fabs(scale.z)});
        s.x = v[0] + placement.position.x;
        s.y = v[1] + placement.position.y;
        s.z = v[2] + placement.position.z;
        s.radius = s.radius * k + kMargin;
        return s;
    }
    return Sphere();
}

Box boundingBox(const TObject* blueprint, const TObject& placement) {
    Box box;
    if (auto* girder = dynamic_cast<const Girder*>(blueprint)) {
        for (const FPoint& p : girder->cornersAt(placement.position)) {
            // Turned about the world origin as in boundingSphere.
            float v[3] = {p.x, p.y, p.z};
            rotate(v, placement.rotation.z, 2);
            rotate(v, placement.rotation.x, 0);
            rotate(v, placement.rotation.y, 1);
            box.add(v[0], v[1], v[2]);
        }
        return box;
    }
    if (auto* quad = dynamic_cast<const Quad*>(blueprint)) {
        // The same flat box boundingSphere measures.
        const Quad::Grid grid = quad->gridAt(placement);
        const float w = grid.width, d = grid.height;
        const FPoint& p = grid.centre;
        box.add(std::trunc(p.x - w / 2) - kCellSize, p.y, std::trunc(p.z - d / 2) - kCellSize);
        box.add(p.x + w / 2 + kCellSize, p.y, p.z + d / 2 + kCellSize);
        return box;
    }
    if (auto* model = dynamic_cast<const Model_3DS*>(blueprint)) {
        const Box own = modelBox(*model);
        if (!own.known())
            return box;
        // draw: translate, rotate about x, y, z, scale.
        const FPoint& scale = placement.scale;
        const FPoint& rotation = placement.rotation;
        const FPoint& position = placement.position;
        eachCorner(own, [&](float x, float y, float z) {
            float v[3] = {x * scale.x, y * scale.y, z * scale.z};
            rotate(v, rotation.z, 2);
            rotate(v, rotation.y, 1);
            rotate(v, rotation.x, 0);
            box.add(v[0] + position.x, v[1] + position.y, v[2] + position.z);
        });
        return box;
    }
    return box;
}
