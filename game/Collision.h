// The one circle test every collision of the game uses (player bullets
// against enemies, enemies against the player, enemy bullets against the
// player), so that any broad phase reaches exactly the same verdicts.
#pragma once

#include <cmath>

#include "core/Vec2.h"

namespace Collision {

inline float Distance(const Vec2& a, const Vec2& b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Circles touch when the sum of the integer radii, as a float, reaches the
// distance; touching at exactly that distance counts. The sum is taken wide
// so that no radius from a data file can overflow it.
inline bool Touches(const Vec2& a, int radiusA, const Vec2& b, int radiusB)
{
    return static_cast<float>(static_cast<long long>(radiusA) + radiusB) >= Distance(a, b);
}

}  // namespace Collision
