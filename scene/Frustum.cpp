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
    const float low[3] = {0.0f, y0, z0}, high[3] = {0.0f, y1, z1};
    return Range(0, width, low, high, xMin, xMax);
}

bool Frustum::ZRange(float depth, float x0, float x1, float y0, float y1, float& zMin, float& zMax) const
{
    const float low[3] = {x0, y0, 0.0f}, high[3] = {x1, y1, 0.0f};
    return Range(2, depth, low, high, zMin, zMax);
}

bool Frustum::Range(int axis, float size, const float low[3], const float high[3], float& min, float& max) const
{
    float lo = -std::numeric_limits<float>::infinity();
    float hi = std::numeric_limits<float>::infinity();
    for (const auto& p : planes) {
        // The box's corner furthest inside the plane, apart from the axis.
        float rest = p[3];
        for (int other = 0; other < 3; ++other)
            if (other != axis)
                rest += std::fmax(p[other] * low[other], p[other] * high[other]);
        // A plane that is not a number bounds nothing: drawing too much is
        // safe, drawing too little is not.
        const float a = p[axis];
        if (!std::isfinite(a) || !std::isfinite(rest))
            continue;
        if (a > 0.0f) {
            // a (v + size) + rest >= 0
            lo = std::fmax(lo, -rest / a - size);
        } else if (a < 0.0f) {
            // a v + rest >= 0
            hi = std::fmin(hi, -rest / a);
        } else if (!(rest >= 0.0f)) {
            return false;
        }
    }
    if (!(lo <= hi))
        return false;
    min = lo;
    max = hi;
    return true;
}
