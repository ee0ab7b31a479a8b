// Short-lived visual effects (explosions, enemy wrecks). Minimal for now: the
// world and the distortion pass can already call into it.
#pragma once

#include "core/Vec2.h"
#include "core/Vec3.h"
#include "scene/SceneNode.h"

class EnemyType;

class GraphicalEffects : public SceneNode {
public:
    GraphicalEffects() = default;
    ~GraphicalEffects() override = default;

    void AddExplosion(float size, const Vec2& groundPosition, float delay);
    void AddExplosion(float size, const Vec3& position, float delay);
    void AddEnemyDeath(EnemyType* type, const Vec2& groundPosition);
    void DrawDistortion();
};
