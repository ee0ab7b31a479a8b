// One shot: a flat textured square flying in a straight line over the play
// plane. Alive while its strength is above 0; the strength is both the damage
// it deals and the damage it can take. Its facing is fixed at creation from
// its velocity. Owned by the Bullets container.
#pragma once

#include "core/Vec2.h"

class BulletType;
class SpriteBatch;
class Texture;

class Bullet {
public:
    Bullet(const BulletType& type, const Vec2& position, const Vec2& velocity, float strength);
    virtual ~Bullet() = default;

    // Queues its square, turned to its facing, for the batch to draw.
    virtual void Draw(SpriteBatch& sprites) const;
    // Moves by velocity * dt / 1.5; false once the strength is spent.
    virtual bool Update(float dt);
    // Lowers the strength, never below 0.
    virtual void TakeDamage(float amount);

    Vec2 GetPosition() const { return position; }
    Vec2 GetVelocity() const { return velocity; }
    float GetStrength() const { return strength; }
    float GetAngle() const { return angle; }
    int GetSize() const { return size; }
    int GetRadius() const { return radius; }
    Texture* GetTexture() const { return texture; }

private:
    Texture* texture = nullptr;
    int size = 0;
    int radius = 0;
    Vec2 position;
    Vec2 velocity;
    float strength = 0.0f;
    float angle = 0.0f;
};
