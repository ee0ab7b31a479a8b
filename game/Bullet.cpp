#include "game/Bullet.h"

#include <cmath>

#include "game/BulletType.h"
#include "render/SpriteBatch.h"

Bullet::Bullet(const BulletType& type, const Vec2& position_, const Vec2& velocity_, float strength_)
    : texture(type.GetTexture()), size(type.GetSize()), radius(type.GetRadius()), position(position_),
      velocity(velocity_), strength(strength_)
{
    // Degrees about the vertical axis; the sprite's 0 faces along -x.
    angle = static_cast<float>(std::atan2(static_cast<double>(velocity.y), -static_cast<double>(velocity.x)) *
                               180 / 3.14159f);
}

bool Bullet::Update(float dt)
{
    position = position + velocity * dt / 1.5f;
    return strength > 0;
}

void Bullet::TakeDamage(float amount)
{
    // The amount is the target's health after the hit. A target already below
    // zero has nothing left to absorb; letting it raise the strength made a
    // bullet resting on a dead ship hit harder every frame without bound.
    if (!(amount > 0))
        return;
    strength -= amount;
    if (strength < 0)
        strength = 0.0f;
}

void Bullet::Draw(SpriteBatch& sprites) const
{
    static const SpriteCorner kCorners[4] = {
        {1, 0, -1, 0, -1}, {1, 1, -1, 0, 1}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, -1}};
    static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    sprites.AddFlat(texture, kWhite, position.x, 0.0f, position.y, static_cast<float>(size), angle, kCorners);
}
