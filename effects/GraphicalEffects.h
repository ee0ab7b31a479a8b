// The scene node of the short-lived visual effects (explosions, enemy wrecks).
// The World creates it among its children and registers it in GlobalInfo;
// scripts (Explode), dying enemies and the effects' own construction append
// through it. It owns every effect it holds, keeps them in order of
// appending, and destroys each one the first update that finishes it.
//
// Draw runs in the scene pass and draws the effects at or above the ground
// plane; DrawDistortion runs in the distortion pass (additive blending, no
// depth test) through World::DrawDistortion. The effects' sprites go out in
// batches (one draw per run of the same texture), in the effects' order.
// Neither allocates once the batch has grown to the scene's size.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "core/Vec2.h"
#include "core/Vec3.h"
#include "effects/GraphicalEffect.h"
#include "render/SpriteBatch.h"
#include "scene/SceneNode.h"

class EnemyType;

class GraphicalEffects : public SceneNode {
public:
    GraphicalEffects() = default;
    // Destroys every effect still held, then the node.
    ~GraphicalEffects() override;

    // An explosion at the ground position's (x, 10, y), after `delay` ms.
    void AddExplosion(float size, const Vec2& groundPosition, float delay);
    // An explosion at a full 3D position, used unchanged.
    void AddExplosion(float size, const Vec3& position, float delay);
    // The wreck of an enemy of `type` that died at the ground position, with
    // its explosion. A null type adds nothing.
    void AddEnemyDeath(EnemyType* type, const Vec2& groundPosition);
    // Appends an effect made elsewhere; null is ignored.
    void Add(std::unique_ptr<GFX::GraphicalEffect> effect);

    void Draw() override;
    void Update(float dt) override;
    void DrawDistortion();
    // Whether DrawDistortion would draw anything now. No GL needed.
    bool HasDistortion() const;
    // The window pixels the last DrawDistortion could have drawn into (the
    // effects draw the map through the batch alone); empty before the first.
    const PixelRect& GetDistortionBounds() const { return distortionBounds; }

    size_t GetEffectCount() const { return effects.size(); }
    // Null outside 0..GetEffectCount()-1.
    GFX::GraphicalEffect* GetEffect(size_t i) const;

private:
    std::vector<std::unique_ptr<GFX::GraphicalEffect>> effects;
    SpriteBatch sprites;
    PixelRect distortionBounds;
};
