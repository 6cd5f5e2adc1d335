// ViewVolume: plane extraction from the clip matrix.
#include "world/viewvolume.h"

#include <GL/gl.h>
#include <cmath>

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
