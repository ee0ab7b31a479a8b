#include "effects/EnemyDeath.h"

#include "core/GlobalInfo.h"
#include "effects/EffectRandom.h"
#include "effects/GraphicalEffects.h"
#include "game/EnemyType.h"
#include "render/GL.h"
#include "render/Model.h"
#include "render/SpriteBatch.h"

namespace GFX {

namespace {

// Sideways drift in [-2, 2] world units per 20 ms.
float RandomDrift()
{
    return static_cast<float>(RandomDraw()) / kRandomMax * 4.0f - 2.0f;
}

}  // namespace

EnemyDeath::EnemyDeath(const EnemyType* type, const Vec2& groundPosition)
    : model(type->GetModel()), position(groundPosition.x, 0.0f, groundPosition.y)
{
    // The first draw is the z drift, the second the x drift.
    const float z = RandomDrift();
    const float x = RandomDrift();
    velocity = Vec3(x, 7.0f, z);
    if (GraphicalEffects* effects = GlobalInfo::Instance().GetEffects())
        effects->AddExplosion(static_cast<float>(type->GetSize()) / 2.0f + 25.0f, groundPosition, 0.0f);
}

bool EnemyDeath::Update(float dt)
{
    position += velocity * (dt / 20.0f);
    rotation += velocity * (dt / 5.0f);
    velocity.y -= dt / 30.0f;
    return position.y > kRemovalDepth;
}

void EnemyDeath::Draw(SpriteBatch& sprites)
{
    sprites.Flush();
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    if (model)
        model->RenderTree();
    glPopMatrix();
}

}  // namespace GFX
