#include "effects/GraphicalEffects.h"

#include "core/Debug.h"
#include "effects/EnemyDeath.h"
#include "effects/Explosion.h"

GraphicalEffects::~GraphicalEffects()
{
    effects.clear();
}

void GraphicalEffects::AddExplosion(float size, const Vec2& groundPosition, float delay)
{
    AddExplosion(size, Vec3(groundPosition.x, 10.0f, groundPosition.y), delay);
}

void GraphicalEffects::AddExplosion(float size, const Vec3& position, float delay)
{
    // Constructing the explosion appends its chain first, so the links stand
    // before it.
    auto explosion = std::make_unique<GFX::Explosion>(size, position, delay);
    effects.push_back(std::move(explosion));
}

void GraphicalEffects::AddEnemyDeath(EnemyType* type, const Vec2& groundPosition)
{
    if (!type)
        return;
    // The wreck's explosion is appended while the wreck is built, before it.
    auto wreck = std::make_unique<GFX::EnemyDeath>(type, groundPosition);
    effects.push_back(std::move(wreck));
}

void GraphicalEffects::Add(std::unique_ptr<GFX::GraphicalEffect> effect)
{
    if (effect)
        effects.push_back(std::move(effect));
}

GFX::GraphicalEffect* GraphicalEffects::GetEffect(size_t i) const
{
    return i < effects.size() ? effects[i].get() : nullptr;
}

void GraphicalEffects::Draw()
{
    // Effects below the ground plane are kept but not drawn.
    for (const auto& effect : effects) {
        if (effect->GetHeight() >= 0.0f)
            effect->Draw(sprites);
    }
    sprites.Flush();
    Debug::EndOfPass("effects");
}

void GraphicalEffects::DrawDistortion()
{
    for (const auto& effect : effects)
        effect->DrawDistortion(sprites);
    distortionBounds = sprites.WindowBounds();
    sprites.Flush();
    Debug::EndOfPass("distort map");
}

bool GraphicalEffects::HasDistortion() const
{
    for (const auto& effect : effects)
        if (effect->HasDistortion())
            return true;
    return false;
}

void GraphicalEffects::Update(float dt)
{
    // One pass that updates every effect once, in order, and closes the gaps
    // of the finished ones as it goes: the survivors keep their order, and
    // many removals in one frame cost no more than one.
    size_t kept = 0;
    for (size_t i = 0; i < effects.size(); ++i) {
        if (effects[i]->Update(dt)) {
            if (kept != i)
                effects[kept] = std::move(effects[i]);
            ++kept;
        } else {
            effects[i].reset();
        }
    }
    effects.resize(kept);
}
