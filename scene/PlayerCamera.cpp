#include "scene/PlayerCamera.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/GlobalInfo.h"
#include "scene/PlayerPosition.h"

namespace {

// The projection System::OnResize sets for the fixed 640 x 480 window.
const double kFieldOfViewDegrees = 45.0;
const double kAspect = 640.0 / 480.0;

// The camera follows the player's x at 1 / factor; 1 when it follows fully.
int FollowFactor(int levelWidth)
{
    if (levelWidth <= 0 || levelWidth > 2500)
        return 1;
    return 2500 / levelWidth;
}

}  // namespace

PlayerCamera::PlayerCamera(float height_)
    : Camera(Vec3(0.0f, height_, 0.0f), Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 1.0f)), height(height_)
{
    GlobalInfo::Instance().SetViewHalfSize(ViewHalfSize(height));
}

Vec2 PlayerCamera::ViewHalfSize(float height)
{
    const double halfHeight = height * std::tan(kFieldOfViewDegrees * M_PI / 360.0);
    return Vec2(static_cast<float>(halfHeight * kAspect), static_cast<float>(halfHeight));
}

float PlayerCamera::PlayerReachX(int levelWidth, float viewHalfWidth, float margin)
{
    float reach = std::numeric_limits<float>::infinity();
    const int factor = FollowFactor(levelWidth);
    // The ship sits x * (1 - 1 / factor) from the screen's centre.
    if (factor > 1)
        reach = std::max(viewHalfWidth - margin, 0.0f) * factor / (factor - 1);
    if (levelWidth > 0)
        reach = std::min(reach, factor * (levelWidth / 2.0f));
    return reach;
}

float PlayerCamera::FollowX(float playerX, int levelWidth)
{
    return playerX / static_cast<float>(FollowFactor(levelWidth));
}

void PlayerCamera::Follow(const Vec2& playerPosition, float dt)
{
    scroll += ScrollDistance(dt);
    const float x = FollowX(playerPosition.x, GlobalInfo::Instance().GetLevelWidth());
    GlobalInfo::Instance().SetViewPosition(Vec2(x, scroll));
    eye.x = x;
    eye.z = scroll;
    center.x = x;
    center.z = scroll;
}

void PlayerCamera::Update(float dt)
{
    Vec2 player;
    CurrentPlayerPosition(player);
    Follow(player, dt);
}

void PlayerCamera::StartAtPlayer()
{
    Vec2 player;
    if (!CurrentPlayerPosition(player))
        return;
    StartAt(player);
    // The view is known from the start, so the first step keeps the ship in it.
    Follow(player, 0.0f);
}
