#include "game/Autopilot.h"

#include <GLFW/glfw3.h>

#include <cmath>

#include "game/Actors.h"

std::set<int> Autopilot::Keys(const Actors& actors, const Vec2& view, float time) const
{
    const Player& player = *actors.GetPlayer();
    const Vec2 at = player.GetPosition();
    float targetX = 250 * std::sin(time / 3000), lowest = view.y + 400, away = 0;
    for (const auto& enemy : actors.GetEnemies()) {
        if (enemy->GetTimer() <= 0)
            continue;  // not yet in play
        const Vec2 e = enemy->GetPosition();
        if (e.y > at.y + 60 && e.y < lowest)
            lowest = e.y, targetX = e.x;
        if (std::abs(e.y - at.y) < 150 && std::abs(e.x - at.x) < enemy->GetRadius() + 150)
            away = e.x > at.x ? -300 : 300;  // sidestep rather than ram
    }
    if (away != 0)
        targetX = at.x + away;
    // Aim where the ship will be in 150 ms, holding 170 behind the view's centre.
    const Vec2 velocity = player.GetVelocity();
    const float steer = targetX - (at.x + velocity.x * 150);
    const float climb = view.y - 170 - (at.y + velocity.y * 150);
    std::set<int> held;
    if (std::abs(steer) > 8)
        held.insert(steer > 0 ? GLFW_KEY_LEFT : GLFW_KEY_RIGHT);  // left raises x
    if (std::abs(climb) > 8)
        held.insert(climb > 0 ? GLFW_KEY_UP : GLFW_KEY_DOWN);
    return held;
}
