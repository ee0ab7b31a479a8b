#include "game/Enemy.h"

#include "core/GlobalInfo.h"
#include "effects/GraphicalEffects.h"
#include "game/EnemyType.h"
#include "script/ScriptManager.h"

Enemy::Enemy(EnemyType* type_, const Vec2& position_, float state1_, float state2_, float delay)
    : Actor(type_->GetModel(), position_, type_->GetSize(), static_cast<float>(type_->GetHealth())),
      type(type_), state1(state1_), state2(state2_), state3(0.0f), timer(-delay)
{
}

bool Enemy::Update(float dt)
{
    ScriptManager& scripts = ScriptManager::Instance();
    timer += dt;
    if (timer > 0)
        position = scripts.EnemyDoUpdate(type->GetScriptHandle(), position, dt, state1, state2, state3, timer);
    // "Not above 0" rather than "0 or below": a script that returns NaN health
    // still gets its death call exactly once instead of vanishing silently.
    const bool alive = health > 0;
    if (!alive && scripts.EnemyOnDeath(type->GetScriptHandle(), position, state1, state2, state3, timer)) {
        if (GraphicalEffects* effects = GlobalInfo::Instance().GetEffects())
            effects->AddEnemyDeath(type, position);
    }
    return alive;
}

void Enemy::Damage(float amount)
{
    health = ScriptManager::Instance().EnemyOnHit(type->GetScriptHandle(), position, health, amount, state1,
                                                  state2, state3, timer);
}
