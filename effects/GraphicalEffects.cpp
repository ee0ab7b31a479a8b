#include "effects/GraphicalEffects.h"

void GraphicalEffects::AddExplosion(float, const Vec2&, float) {}
void GraphicalEffects::AddExplosion(float, const Vec3&, float) {}
void GraphicalEffects::AddEnemyDeath(EnemyType*, const Vec2&) {}
void GraphicalEffects::DrawDistortion() {}
