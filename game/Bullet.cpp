#include "game/Bullet.h"

#include <cmath>

#include "game/BulletType.h"
#include "render/GL.h"
#include "render/Texture.h"

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

void Bullet::Draw()
{
    glPushMatrix();
    glTranslatef(position.x, 0.0f, position.y);
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
    if (texture)
        texture->Bind(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2i(1, 0);
    glVertex3i(-size, 0, -size);
    glTexCoord2i(1, 1);
    glVertex3i(-size, 0, size);
    glTexCoord2i(0, 1);
    glVertex3i(size, 0, size);
    glTexCoord2i(0, 0);
    glVertex3i(size, 0, -size);
    glEnd();
    if (texture)
        Texture::Unbind(0);
    glPopMatrix();
}
