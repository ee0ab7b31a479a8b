#include "scene/Frustum.h"

#include <cmath>
#include <limits>

Frustum::Frustum(const float projection[16], const float modelview[16])
{
    // m = projection * modelview; row i of m is m[i], column j at [j].
    float m[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + i] * modelview[j * 4 + k];
            m[i][j] = sum;
        }
    // Clip space keeps -w <= x, y, z <= w: each bound is w +- one coordinate.
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            const float sign = side == 0 ? 1.0f : -1.0f;
            for (int j = 0; j < 4; ++j)
                planes[axis * 2 + side][j] = m[3][j] + sign * m[axis][j];
        }
}

bool Frustum::XRange(float width, float y0, float y1, float z0, float z1, float& xMin, float& xMax) const
{
    float lo = -std::numeric_limits<float>::infinity();
    float hi = std::numeric_limits<float>::infinity();
    for (const auto& p : planes) {
        // The box's corner furthest inside the plane, apart from x.
        const float rest = std::fmax(p[1] * y0, p[1] * y1) + std::fmax(p[2] * z0, p[2] * z1) + p[3];
        // A plane that is not a number bounds nothing: drawing too much is
        // safe, drawing too little is not.
        if (!std::isfinite(p[0]) || !std::isfinite(rest))
            continue;
        if (p[0] > 0.0f) {
            // a (x + width) + rest >= 0
            lo = std::fmax(lo, -rest / p[0] - width);
        } else if (p[0] < 0.0f) {
            // a x + rest >= 0
            hi = std::fmin(hi, -rest / p[0]);
        } else if (!(rest >= 0.0f)) {
            return false;
        }
    }
    if (!(lo <= hi))
        return false;
    xMin = lo;
    xMax = hi;
    return true;
}
