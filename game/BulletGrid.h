// Broad phase for the player's bullets against enemies: a uniform grid over
// the bullets of one list, built once per Actors pass. A query returns, in
// ascending list order, every indexed bullet that could touch a given circle
// (a superset: the exact circle test still decides), so visiting the
// candidates gives exactly the hits, in exactly the order, of testing every
// bullet. Bullets appended after Build are not indexed; the caller tests them
// itself. Bullets must not move or go away between Build and the queries.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Vec2.h"

class Bullet;

class BulletGrid {
public:
    void Build(const std::vector<std::unique_ptr<Bullet>>& bullets);
    // How many bullets, from the start of the list, Build indexed.
    size_t GetIndexedCount() const { return indexedCount; }
    // Appends the candidates for a circle of `radius` at `center` to `out`.
    void Query(const Vec2& center, int radius, std::vector<uint32_t>& out) const;

private:
    size_t indexedCount = 0;
    long long maxRadius = 0;
    double minX = 0, minY = 0;
    double cellSize = 1;
    long long columns = 0, rows = 0;
    std::vector<uint32_t> cellStart;  // columns * rows + 1 offsets into entries
    std::vector<uint32_t> entries;    // bullet indices, by cell, ascending within a cell
    std::vector<uint32_t> outliers;   // finite but too far out for the grid: always candidates
    std::vector<uint32_t> cells;      // scratch: each indexed bullet's cell, or a marker
};
