// Told what happens in play, for tools that report on a run (vantrel-check).
// The game runs without one. Called from inside the Actors and Bullets passes:
// an observer only counts, it never changes the world.
#pragma once

class Bullet;
class Enemy;

class PlayObserver {
public:
    virtual ~PlayObserver() = default;

    // Just before the enemy leaves the array: killed (its update found its
    // health at 0 or below) or escaped (it fell behind the view).
    virtual void EnemyRemoved(const Enemy& enemy, bool killed) = 0;
    // A shot entered play; `player` tells whose.
    virtual void ShotFired(bool player) = 0;
    // A player shot touched an enemy, or an enemy shot touched the player.
    virtual void PlayerShotHit(const Enemy& enemy) = 0;
    virtual void EnemyShotHit() = 0;
};
