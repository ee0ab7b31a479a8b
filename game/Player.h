// The player's ship. Steered by keyboard (arrows or W, A, S, D) or gamepad
// (d-pad, left stick) read through Controls, with inertia, drag and a constant
// forward drift; the digit keys set both weapons' level, the shoulder buttons
// step it. A regenerating shield takes damage before the
// hit points and flashes when hit. Owns its ship and shield models, the
// shield's shader parameters and its two script-driven weapons. Created,
// updated first and drawn first by the Actors container, which owns it.
//
// After each move the ship is kept inside the ground the camera will show
// once it has followed, less the ship's radius (nothing is kept when no
// camera has published a view size). When the run ends the flight ends: the
// keys no longer steer and nothing hits the ship any more; a ship whose hull
// is gone by then explodes, stops firing and is no longer drawn.
#pragma once

#include <memory>

#include "core/Controls.h"
#include "game/Actor.h"

class ShaderParameters;
class Weapon;

class Player : public Actor {
public:
    // Loads the models and asks the script host for both weapons' handles.
    Player();
    ~Player() override;

    void Draw() override;
    // Always true: the player never reports itself dead.
    bool Update(float dt) override;
    void Damage(float amount) override;

    // The run is over: see above. Only the first call counts.
    void EndFlight();
    bool IsFlying() const { return flying; }
    bool IsDestroyed() const { return destroyed; }

    Vec2 GetVelocity() const { return velocity; }
    void SetVelocity(const Vec2& v) { velocity = v; }
    float GetShield() const { return shield; }
    void SetShield(float s) { shield = s; }
    float GetShieldAlpha() const { return shieldAlpha; }
    void SetShieldAlpha(float a) { shieldAlpha = a; }
    float GetMaxHealth() const { return maxHealth; }
    float GetMaxShield() const { return maxShield; }
    Weapon* GetPrimaryWeapon() const { return primaryWeapon.get(); }
    Weapon* GetSecondaryWeapon() const { return secondaryWeapon.get(); }
    Model* GetShieldModel() const { return shieldModel.get(); }

private:
    void KeepInView(float dt);

    std::unique_ptr<Model> shipModel;  // the Actor's model
    Vec2 velocity;
    float shieldAlpha = 0.0f;
    std::unique_ptr<Model> shieldModel;
    std::unique_ptr<ShaderParameters> shieldParameters;
    float shield = 0.0f;
    float maxHealth = 0.0f;
    float maxShield = 0.0f;
    std::unique_ptr<Weapon> primaryWeapon;
    std::unique_ptr<Weapon> secondaryWeapon;
    Controls controls;  // its own, so that a shoulder press steps once
    bool flying = true;
    bool destroyed = false;
};
