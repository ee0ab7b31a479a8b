#include "game/BulletGrid.h"

#include <algorithm>
#include <cmath>

#include "game/Bullet.h"

namespace {

// Beyond this distance from the origin a bullet is kept out of the grid (and
// always tested) so that the grid's extent stays bounded.
const double kGridLimit = 1.0e7;
const uint32_t kOutlier = UINT32_MAX;
const uint32_t kNever = UINT32_MAX - 1;

}  // namespace

void BulletGrid::Build(const std::vector<std::unique_ptr<Bullet>>& bullets)
{
    indexedCount = bullets.size();
    maxRadius = 0;
    outliers.clear();
    entries.clear();
    cells.assign(indexedCount, kNever);

    double maxX = 0, maxY = 0;
    bool any = false;
    for (size_t i = 0; i < indexedCount; ++i) {
        const Vec2 p = bullets[i]->GetPosition();
        maxRadius = std::max<long long>(maxRadius, bullets[i]->GetRadius());
        // A bullet off at infinity or NaN can never be within reach of
        // anything: the distance comes out infinite or NaN.
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        if (std::fabs(p.x) > kGridLimit || std::fabs(p.y) > kGridLimit) {
            cells[i] = kOutlier;
            outliers.push_back(static_cast<uint32_t>(i));
            continue;
        }
        if (!any) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            any = true;
        } else {
            minX = std::min<double>(minX, p.x);
            maxX = std::max<double>(maxX, p.x);
            minY = std::min<double>(minY, p.y);
            maxY = std::max<double>(maxY, p.y);
        }
        cells[i] = 0;
    }
    if (!any) {
        columns = rows = 0;
        cellStart.assign(1, 0);
        return;
    }

    // About one cell per bullet over the occupied area, but no smaller than a
    // typical reach so that a query touches only a handful of cells.
    const double width = maxX - minX, height = maxY - minY;
    const double count = static_cast<double>(indexedCount);
    cellSize = std::max({16.0, std::sqrt(width * height / count), std::max(width, height) / 4096.0});
    columns = static_cast<long long>(width / cellSize) + 1;
    rows = static_cast<long long>(height / cellSize) + 1;

    cellStart.assign(static_cast<size_t>(columns * rows) + 1, 0);
    for (size_t i = 0; i < indexedCount; ++i) {
        if (cells[i] != 0)
            continue;
        const Vec2 p = bullets[i]->GetPosition();
        const long long cx = std::min(columns - 1, static_cast<long long>((p.x - minX) / cellSize));
        const long long cy = std::min(rows - 1, static_cast<long long>((p.y - minY) / cellSize));
        cells[i] = static_cast<uint32_t>(cy * columns + cx);
        ++cellStart[cells[i] + 1];
    }
    for (size_t c = 1; c < cellStart.size(); ++c)
        cellStart[c] += cellStart[c - 1];
    entries.resize(cellStart.back());
    std::vector<uint32_t> fill(cellStart.begin(), cellStart.end() - 1);
    for (size_t i = 0; i < indexedCount; ++i) {
        if (cells[i] == kOutlier || cells[i] == kNever)
            continue;
        entries[fill[cells[i]]++] = static_cast<uint32_t>(i);
    }
}

void BulletGrid::Query(const Vec2& center, int radius, std::vector<uint32_t>& out) const
{
    const size_t first = out.size();
    // An enemy at infinity or NaN touches nothing.
    if (!std::isfinite(center.x) || !std::isfinite(center.y))
        return;
    out.insert(out.end(), outliers.begin(), outliers.end());
    if (columns > 0 && static_cast<long long>(radius) + maxRadius >= 0) {
        // The reach plus a margin far above the float rounding of the exact test.
        const double reach = static_cast<double>(radius) + static_cast<double>(maxRadius);
        const double margin = 1.0 + reach * 1e-5 + (std::fabs(center.x) + std::fabs(center.y)) * 1e-5;
        const double lowX = (center.x - reach - margin - minX) / cellSize;
        const double highX = (center.x + reach + margin - minX) / cellSize;
        const double lowY = (center.y - reach - margin - minY) / cellSize;
        const double highY = (center.y + reach + margin - minY) / cellSize;
        if (highX >= 0 && highY >= 0 && lowX < static_cast<double>(columns) && lowY < static_cast<double>(rows)) {
            // Clamped while still doubles: a huge reach must not overflow the cast.
            const long long x0 = static_cast<long long>(std::max(0.0, lowX));
            const long long y0 = static_cast<long long>(std::max(0.0, lowY));
            const long long x1 = static_cast<long long>(std::min(static_cast<double>(columns - 1), highX));
            const long long y1 = static_cast<long long>(std::min(static_cast<double>(rows - 1), highY));
            for (long long y = y0; y <= y1; ++y) {
                const size_t rowStart = static_cast<size_t>(y * columns);
                // Cells of one row are contiguous in `entries`.
                const uint32_t begin = cellStart[rowStart + x0];
                const uint32_t end = cellStart[rowStart + x1 + 1];
                out.insert(out.end(), entries.begin() + begin, entries.begin() + end);
            }
        }
    }
    std::sort(out.begin() + first, out.end());
}
