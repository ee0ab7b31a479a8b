#include <gtest/gtest.h>

#include <cmath>

#include "core/Vec2.h"
#include "core/Vec3.h"

TEST(Vec, ArithmeticCrossAndNormalisation)
{
    Vec2 a(1, 2), b(3, -4);
    Vec2 c = (a + b) * 2.0f - Vec2(1, 1);
    EXPECT_FLOAT_EQ(c.x, 7);
    EXPECT_FLOAT_EQ(c.y, -5);
    EXPECT_FLOAT_EQ((b / 2.0f).y, -2);

    Vec3 x(1, 0, 0), y(0, 1, 0);
    Vec3 z = x.Cross(y);
    EXPECT_FLOAT_EQ(z.z, 1);
    EXPECT_FLOAT_EQ(y.Cross(x).z, -1);
    EXPECT_FLOAT_EQ(Vec3(3, 4, 12).Length(), 13);
    EXPECT_FLOAT_EQ(Vec3(3, 4, 12).LengthSquared(), 169);
    Vec3 n = Vec3(0, 0, 5).Normalized();
    EXPECT_FLOAT_EQ(n.z, 1);

    // A zero vector stays zero instead of becoming NaN.
    Vec3 zero = Vec3().Normalized();
    EXPECT_EQ(zero.x, 0);
    EXPECT_FALSE(std::isnan(zero.y));

    Vec3i triple;
    EXPECT_EQ(triple.x + triple.y + triple.z, 0);
}
