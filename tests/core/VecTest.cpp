#include <gtest/gtest.h>

#include "core/Vec3.h"

// Normals of degenerate faces and camera bases are built from these.
TEST(Vec, CrossFollowsTheRightHandAndAZeroVectorNormalisesToZero)
{
    const Vec3 z = Vec3(1, 0, 0).Cross(Vec3(0, 1, 0));
    EXPECT_TRUE(z.x == 0 && z.y == 0 && z.z == 1);
    const Vec3 zero = Vec3().Normalized();
    EXPECT_TRUE(zero.x == 0 && zero.y == 0 && zero.z == 0);
}
