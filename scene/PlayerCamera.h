// The game's camera: hangs `height` above the play plane looking straight
// down (+z at the top of the screen, +x towards the left edge), scrolls along
// +z at 200 units per second, follows the player sideways by the level's
// follow factor and publishes its ground position as the view position that
// terrain, bullets and enemies cull against.
#pragma once

#include "core/Vec2.h"
#include "scene/Camera.h"

class PlayerCamera : public Camera {
public:
    explicit PlayerCamera(float height);

    // Scrolls by dt (milliseconds) and follows the player read from GlobalInfo.
    void Update(float dt) override;
    // Puts the scroll position at the player's forward position.
    void StartAtPlayer();

    // The per-frame arithmetic with the player's position given: scroll by
    // dt / 5, follow, publish the view position, move eye and centre.
    void Follow(const Vec2& playerPosition, float dt);
    void StartAt(const Vec2& playerPosition) { scroll = playerPosition.y; }

    // Camera x for a player at `playerX`: one unit per (2500 / levelWidth)
    // units of the player, an integer factor. A width of 0 or less, or above
    // 2500, has no such factor; the camera then follows the player fully.
    static float FollowX(float playerX, int levelWidth);

    float GetHeight() const { return height; }
    float GetScroll() const { return scroll; }
    void SetScroll(float s) { scroll = s; }

private:
    float height;
    float scroll = 0.0f;
};
