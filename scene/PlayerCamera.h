// The game's camera: hangs `height` above the play plane looking straight
// down (+z at the top of the screen, +x towards the left edge), scrolls along
// +z at 200 units per second, follows the player sideways by the level's
// follow factor and publishes its ground position as the view position that
// terrain, bullets and enemies cull against. Construction publishes the
// half-size of the ground it shows, which keeps the player's ship in view.
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

    // Half the width and height of the play plane seen from `height` through
    // the window's projection (45 degrees vertically, 640 x 480).
    static Vec2 ViewHalfSize(float height);
    // How far the view scrolls forward in dt milliseconds.
    static float ScrollDistance(float dt) { return dt / 5.0f; }
    // The farthest the player's x may lie from 0 so that, once the camera
    // has followed it, the ship stays `margin` inside the screen's side
    // edges and the view's centre stays within half the level's width.
    // Infinite when neither limits it.
    static float PlayerReachX(int levelWidth, float viewHalfWidth, float margin);

    float GetHeight() const { return height; }
    float GetScroll() const { return scroll; }
    void SetScroll(float s) { scroll = s; }

private:
    float height;
    float scroll = 0.0f;
};
