#include "scene/BackgroundModel.h"

#include <algorithm>
#include <cmath>

#include "scene/Frustum.h"

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

void BackgroundModel::SetGrid(int width, int cellRows)
{
    const size_t vertices = positions.size() / 3;
    if (width < 2 || cellRows < 1 || static_cast<size_t>(cellRows + 1) * width > vertices ||
        static_cast<size_t>(cellRows) * width * 6 > indices.size()) {
        gridWidth = 0;
        return;
    }
    gridWidth = width;
    rowLow.assign(cellRows, 0.0f);
    rowHigh.assign(cellRows, 0.0f);
    for (int r = 0; r < cellRows; ++r) {
        const float* first = &positions[static_cast<size_t>(r) * width * 3];
        float low = first[1], high = first[1];
        for (size_t v = 0; v < 2 * static_cast<size_t>(width); ++v) {
            low = std::min(low, first[v * 3 + 1]);
            high = std::max(high, first[v * 3 + 1]);
        }
        rowLow[r] = low;
        rowHigh[r] = high;
    }
}

void BackgroundModel::VisibleRanges(const Frustum& frustum, std::vector<int>& firsts, std::vector<int>& counts) const
{
    firsts.clear();
    counts.clear();
    if (gridWidth == 0) {
        firsts.push_back(0);
        counts.push_back(3 * triangleCount);
        return;
    }
    const size_t w = static_cast<size_t>(gridWidth);
    const float x0 = positions[0];
    const float spacing = positions[3] - positions[0];
    const int lastCell = gridWidth - 2;
    for (size_t r = 0; r < rowLow.size(); ++r) {
        const float z0 = positions[r * w * 3 + 2];
        const float z1 = positions[(r + 1) * w * 3 + 2];
        float xMin = 0.0f, xMax = 0.0f;
        if (!frustum.XRange(spacing, rowLow[r], rowHigh[r], std::min(z0, z1), std::max(z0, z1), xMin, xMax))
            continue;
        int from = 0, to = lastCell;
        // A column either side of the range absorbs rounding in the planes.
        if (spacing > 0.0f) {
            const float a = std::floor((xMin - x0) / spacing) - 1.0f;
            const float b = std::ceil((xMax - x0) / spacing) + 1.0f;
            if (a > static_cast<float>(lastCell) || b < 0.0f)
                continue;
            if (a > 0.0f)
                from = static_cast<int>(a);
            if (b < static_cast<float>(lastCell))
                to = static_cast<int>(b);
        }
        firsts.push_back(static_cast<int>((r * w + from) * 6));
        counts.push_back((to - from + 1) * 6);
    }
}

void BackgroundModel::DrawVisible(const Frustum& frustum)
{
    if (triangleCount == 0)
        return;
    std::vector<int> firsts, counts;
    VisibleRanges(frustum, firsts, counts);
    if (firsts.empty())
        return;
    Bind(nullptr);
    DrawElementRanges(firsts, counts);
    Unbind();
}
