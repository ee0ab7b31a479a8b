#include "scene/BackgroundModel.h"

#include <cmath>

BackgroundModel::BackgroundModel(const float* positions_, const float* normals_, const uint32_t* indices_, int n,
                                 int zEnd_, int zStart_)
    : zEnd(zEnd_), zStart(zStart_)
{
    const size_t count = n > 0 ? static_cast<size_t>(n) : 0;
    triangleCount = static_cast<int>(2 * count);
    hasTexCoords = false;
    positions.assign(positions_, positions_ + 3 * count);
    normals.assign(normals_, normals_ + 3 * count);
    indices.assign(indices_, indices_ + 6 * count);
    for (size_t i = 0; i < count; ++i) {
        float* v = &normals[i * 3];
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0.0f) {
            v[0] /= length;
            v[1] /= length;
            v[2] /= length;
        }
    }
}

BackgroundModel::~BackgroundModel() = default;
