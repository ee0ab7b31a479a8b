#include <gtest/gtest.h>

#include <cmath>

#include "core/GlobalInfo.h"
#include "scene/PlayerCamera.h"

namespace {

bool Near(const Vec3& v, float x, float y, float z, float tolerance = 1e-4f)
{
    return std::fabs(v.x - x) < tolerance && std::fabs(v.y - y) < tolerance && std::fabs(v.z - z) < tolerance;
}

// It follows the player's x at 1 / (2500 / width, an integer division),
// scrolls dt / 5 and publishes its ground position.
TEST(Cameras, PlayerCameraFollowsScrollsAndPublishesItsGroundPosition)
{
    GlobalInfo::Instance().Reset();
    // 2500 / 1000 truncates to 2; width 0 follows fully instead of dividing by zero.
    for (auto [width, cameraX] : {std::pair{2500, 300.0f}, {500, 60.0f}, {1000, 150.0f}, {0, 300.0f}})
        EXPECT_FLOAT_EQ(PlayerCamera::FollowX(300.0f, width), cameraX) << "width " << width;
    GlobalInfo::Instance().SetLevelSize(500, 10000);
    PlayerCamera camera(1000.0f);
    camera.StartAt(Vec2(100.0f, 750.0f));
    camera.Follow(Vec2(100.0f, 760.0f), 50.0f);
    EXPECT_TRUE(Near(camera.GetEye(), 20, 1000, 760));
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    EXPECT_TRUE(view.x == 20.0f && view.y == 760.0f) << view.x << "," << view.y;
    // Without a player it starts at 0 and still scrolls.
    PlayerCamera alone(1000.0f);
    alone.StartAtPlayer();
    alone.Update(500.0f);
    EXPECT_FLOAT_EQ(GlobalInfo::Instance().GetViewPosition().y, 100.0f);
    GlobalInfo::Instance().Reset();
}

}  // namespace
