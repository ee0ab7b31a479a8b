#include <gtest/gtest.h>

#include <cmath>

#include "core/GlobalInfo.h"
#include "scene/PathCamera.h"
#include "scene/PlayerCamera.h"
#include "scene/RotatingCamera.h"

namespace {

void ExpectVec3(const Vec3& v, float x, float y, float z, const char* what, float tolerance = 1e-4f)
{
    EXPECT_NEAR(v.x, x, tolerance) << what;
    EXPECT_NEAR(v.y, y, tolerance) << what;
    EXPECT_NEAR(v.z, z, tolerance) << what;
}

class Cameras : public ::testing::Test {
protected:
    void SetUp() override
    {
        GlobalInfo::Instance().Reset();
        PathCamera::SetCurrentPathPoint(0);
    }
    void TearDown() override { GlobalInfo::Instance().Reset(); }
};

// It follows the player's x at 1 / (2500 / width, an integer division),
// scrolls dt / 5 and publishes its ground position.
TEST_F(Cameras, PlayerCameraLooksStraightDownAndPublishesItsGroundPosition)
{
    // Widths 2500, 500, 1000 (2500 / 1000 truncates to 2) and 0 (no factor:
    // follows fully instead of dividing by zero).
    const std::pair<int, float> follow[] = {{2500, 300.0f}, {500, 60.0f}, {1000, 150.0f}, {0, 300.0f}};
    for (auto [width, cameraX] : follow)
        EXPECT_FLOAT_EQ(PlayerCamera::FollowX(300.0f, width), cameraX) << "width " << width;

    GlobalInfo::Instance().SetLevelSize(500, 10000);
    PlayerCamera camera(1000.0f);
    camera.StartAt(Vec2(100.0f, 750.0f));
    camera.Follow(Vec2(100.0f, 760.0f), 50.0f);  // scrolls 10 units
    ExpectVec3(camera.GetEye(), 20, 1000, 760, "eye");
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    EXPECT_TRUE(view.x == 20.0f && view.y == 760.0f) << view.x << "," << view.y;

    // Without a player it starts at 0 and still scrolls.
    PlayerCamera alone(1000.0f);
    alone.StartAtPlayer();
    EXPECT_EQ(alone.GetScroll(), 0.0f);
    alone.Update(500.0f);
    EXPECT_FLOAT_EQ(GlobalInfo::Instance().GetViewPosition().y, 100.0f);
}

TEST_F(Cameras, RotatingCameraCirclesTheVerticalAxis)
{
    // A quarter turn in one second, taken in one or a thousand steps.
    for (int frames : {1, 1000}) {
        RotatingCamera camera(Vec3(10, 5, 0), Vec3(1, 2, 3), Vec3(0, 1, 0), 3.14159265f / 2);
        for (int i = 0; i < frames; ++i)
            camera.Update(1000.0f / frames);
        ExpectVec3(camera.GetEye(), 0, 5, 10, "eye", 2e-3f);
    }
}

TEST_F(Cameras, PathCameraFliesTowardsTheNextWaypointAndLoops)
{
    CameraPath path{{Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(10, 0, 10)}};
    PathCamera camera(Vec3(0, 0, 0), Vec3(0, 0, -1), Vec3(0, 0, 1), 1000.0f, &path);
    camera.Update(1.0f);  // one unit towards waypoint 1
    ExpectVec3(camera.GetEye(), 1, 0, 0, "eye");
    ExpectVec3(camera.GetCenter(), 2, 0, 0, "one unit ahead");

    // Within squared distance 0.1 of the waypoint: only the index advances.
    camera.SetEye(Vec3(10, 0, 0.3f));
    camera.Update(1.0f);
    ExpectVec3(camera.GetEye(), 10, 0, 0.3f, "did not move");
    EXPECT_EQ(PathCamera::GetCurrentPathPoint(), 1);
    camera.Update(2.0f);  // now heading for waypoint 2 (+z)
    ExpectVec3(camera.GetEye(), 10, 0, 2.3f, "towards waypoint 2");

    // After the last waypoint it heads for the first.
    camera.SetEye(Vec3(10, 0, 10));
    camera.Update(1.0f);
    camera.Update(1.0f);
    ExpectVec3(camera.GetEye(), 10 - 1 / std::sqrt(2.0f), 0, 10 - 1 / std::sqrt(2.0f), "towards waypoint 0");

    // Paths without waypoints leave the camera where it is.
    CameraPath empty;
    for (const CameraPath* p : {static_cast<const CameraPath*>(&empty), static_cast<const CameraPath*>(nullptr)}) {
        PathCamera still(Vec3(1, 2, 3), Vec3(4, 5, 6), Vec3(0, 0, 1), 1000.0f, p);
        still.Update(16.0f);
        ExpectVec3(still.GetEye(), 1, 2, 3, "stays");
    }
}

}  // namespace
