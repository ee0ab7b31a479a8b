#include "scene/PlayerCamera.h"

#include "core/GlobalInfo.h"
#include "scene/PlayerPosition.h"

PlayerCamera::PlayerCamera(float height_)
    : Camera(Vec3(0.0f, height_, 0.0f), Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 1.0f)), height(height_)
{
}

float PlayerCamera::FollowX(float playerX, int levelWidth)
{
    if (levelWidth <= 0 || levelWidth > 2500)
        return playerX;
    const int factor = 2500 / levelWidth;
    return playerX / static_cast<float>(factor);
}

void PlayerCamera::Follow(const Vec2& playerPosition, float dt)
{
    scroll += dt / 5.0f;
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
    if (CurrentPlayerPosition(player))
        StartAt(player);
}
