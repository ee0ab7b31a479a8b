// The wreck of a destroyed enemy: its type's model flung upwards with a random
// sideways drift, tumbling about x and z and falling under gravity until it is
// far below the ground. Constructing one adds an explosion where the enemy
// died, through the GraphicalEffects held by GlobalInfo, so the explosion
// stands in the container before the wreck. The model belongs to the enemy
// type. Draw flushes the sprites queued before it, then pushes and pops the
// model-view matrix around the model's draw.
#pragma once

#include "core/Vec2.h"
#include "core/Vec3.h"
#include "effects/GraphicalEffect.h"

class EnemyType;
class Model;

namespace GFX {

class EnemyDeath : public GraphicalEffect {
public:
    // The wreck is removed by the update that takes it to this depth.
    static constexpr float kRemovalDepth = -1000.0f;

    // `type` must not be null (GraphicalEffects::AddEnemyDeath refuses null).
    EnemyDeath(const EnemyType* type, const Vec2& groundPosition);
    ~EnemyDeath() override = default;

    void Draw(SpriteBatch& sprites) override;
    bool Update(float dt) override;
    float GetHeight() const override { return position.y; }

    const Vec3& GetPosition() const { return position; }
    // Degrees; only x and z are used when drawing.
    const Vec3& GetRotation() const { return rotation; }
    // World units per 20 milliseconds.
    const Vec3& GetVelocity() const { return velocity; }
    Model* GetModel() const { return model; }

private:
    Model* model = nullptr;
    Vec3 position;
    Vec3 rotation;
    Vec3 velocity;
};

}  // namespace GFX
