// One placed enemy: an Actor of an EnemyType (whose model it draws and whose
// script decides its movement, its reaction to hits and its death), with
// three script state numbers and a timer. The timer starts at minus the
// enemy's delay and counts only while the Actors container updates it, that
// is while the enemy is in the activity window; the script runs once the
// timer is above 0. Owned by the Actors container.
#pragma once

#include "game/Actor.h"

class EnemyType;

class Enemy : public Actor {
public:
    Enemy(EnemyType* type, const Vec2& position, float state1, float state2, float delay);

    // Moves through the script once started; on the update that finds the
    // health at 0 or below (or not a number) asks the script whether to leave
    // a wreck and reports itself dead.
    bool Update(float dt) override;
    // The script decides the new health; the game subtracts nothing itself.
    void Damage(float amount) override;

    EnemyType* GetType() const { return type; }
    float GetState1() const { return state1; }
    float GetState2() const { return state2; }
    float GetState3() const { return state3; }
    float GetTimer() const { return timer; }

private:
    EnemyType* type = nullptr;
    float state1 = 0.0f;
    float state2 = 0.0f;
    float state3 = 0.0f;
    float timer = 0.0f;
};
