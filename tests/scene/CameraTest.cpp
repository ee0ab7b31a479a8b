#include <gtest/gtest.h>

#include <cmath>

#include "core/GlobalInfo.h"
#include "scene/PathCamera.h"
#include "scene/PlayerCamera.h"
#include "scene/RotatingCamera.h"

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
    // Widths 0 and above 2500 follow fully instead of dividing by zero. (That
    // 2500 / width truncates: ShippedLevel.)
    for (auto [width, cameraX] : {std::pair{5000, 300.0f}, {500, 60.0f}, {0, 300.0f}})
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

TEST(Cameras, RotatingAndPathCamerasMoveAsTheySay)
{
    // A quarter turn in one second, in one step or a thousand.
    for (int frames : {1, 1000}) {
        RotatingCamera camera(Vec3(10, 5, 0), Vec3(1, 2, 3), Vec3(0, 1, 0), 3.14159265f / 2);
        for (int i = 0; i < frames; ++i)
            camera.Update(1000.0f / frames);
        EXPECT_TRUE(Near(camera.GetEye(), 0, 5, 10, 2e-3f)) << frames;
    }

    PathCamera::SetCurrentPathPoint(0);
    CameraPath path{{Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(10, 0, 10)}};
    PathCamera camera(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 0, 1), 1000.0f, &path);
    camera.Update(1.0f);  // one unit towards waypoint 1, looking one ahead
    EXPECT_TRUE(Near(camera.GetEye(), 1, 0, 0) && Near(camera.GetCenter(), 2, 0, 0));
    // Within squared distance 0.1 of the waypoint only the index advances.
    camera.SetEye(Vec3(10, 0, 0.3f));
    camera.Update(1.0f);
    EXPECT_EQ(PathCamera::GetCurrentPathPoint(), 1);
    camera.Update(2.0f);
    EXPECT_TRUE(Near(camera.GetEye(), 10, 0, 2.3f));
    // After the last waypoint it heads for the first.
    camera.SetEye(Vec3(10, 0, 10));
    camera.Update(1.0f);
    camera.Update(1.0f);
    EXPECT_TRUE(Near(camera.GetEye(), 10 - 1 / std::sqrt(2.0f), 0, 10 - 1 / std::sqrt(2.0f)));
    // No waypoints, or no path: it stays.
    const CameraPath empty;
    for (const CameraPath* nowhere : {&empty, static_cast<const CameraPath*>(nullptr)}) {
        PathCamera still(Vec3(1, 2, 3), Vec3(4, 5, 6), Vec3(0, 0, 1), 1000.0f, nowhere);
        still.Update(16.0f);
        EXPECT_TRUE(Near(still.GetEye(), 1, 2, 3));
    }
    PathCamera::SetCurrentPathPoint(0);
}

}  // namespace
