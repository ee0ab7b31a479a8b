// Base of what flies over the level and collides: the player's ship and the
// enemies. A model (not owned here: the Player owns its own, an EnemyType owns
// its enemies'), a position on the ground plane (x, and y along the forward
// axis), hit points and an integer collision radius of size / 2.
#pragma once

#include "core/Vec2.h"

class Model;

class Actor {
public:
    Actor(Model* model, const Vec2& position, int size, float health);
    virtual ~Actor() = default;
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    // Draws the model at (x, 0, y). Needs a GL context.
    virtual void Draw();
    // Advances by dt milliseconds; false means dead, to be removed.
    virtual bool Update(float dt) = 0;
    virtual void Damage(float amount);

    Vec2 GetPosition() const { return position; }
    void SetPosition(const Vec2& p) { position = p; }
    float GetHealth() const { return health; }
    void SetHealth(float h) { health = h; }
    int GetRadius() const { return radius; }
    Model* GetModel() const { return model; }

protected:
    Model* model = nullptr;
    Vec2 position;
    float health = 0.0f;
    int radius = 0;
};
