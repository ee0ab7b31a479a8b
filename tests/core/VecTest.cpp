#include <gtest/gtest.h>

#include <cmath>

#include "core/Vec2.h"
#include "core/Vec3.h"

TEST(Vec, ArithmeticCrossAndNormalisation)
{
    Vec2 c = (Vec2(1, 2) + Vec2(3, -4)) * 2.0f - Vec2(1, 1);
    EXPECT_FLOAT_EQ(c.x, 7);
    EXPECT_FLOAT_EQ(c.y, -5);
    EXPECT_FLOAT_EQ((Vec2(3, -4) / 2.0f).y, -2);
    EXPECT_FLOAT_EQ(Vec3(1, 0, 0).Cross(Vec3(0, 1, 0)).z, 1);
    EXPECT_FLOAT_EQ(Vec3(0, 1, 0).Cross(Vec3(1, 0, 0)).z, -1);
    EXPECT_FLOAT_EQ(Vec3(3, 4, 12).Length(), 13);
    EXPECT_FLOAT_EQ(Vec3(0, 0, 5).Normalized().z, 1);
    // A zero vector stays zero instead of becoming NaN.
    Vec3 zero = Vec3().Normalized();
    EXPECT_EQ(zero.x + zero.y + zero.z, 0);
}
