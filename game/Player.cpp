#include "game/Player.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "core/GlobalInfo.h"
#include "effects/GraphicalEffects.h"
#include "core/Problems.h"
#include "game/Assets.h"
#include "game/Weapon.h"
#include "render/GL.h"
#include "render/Model.h"
#include "render/ShaderParameters.h"
#include "scene/PlayerCamera.h"
#include "script/ScriptManager.h"

namespace {

const Vec2 kStartPosition(0.0f, 200.0f);
const int kSize = 85;
const float kHealth = 100.0f;
const float kShield = 30.0f;
const char* const kWeaponName = "Vulcan Cannon";

const int kMinLevel = 1;
const int kMaxLevel = 10;

const char* const kPrimaryScript = "data/scripts/weapons/vulcan-primary.lua";
const char* const kSecondaryScript = "data/scripts/weapons/vulcan-secondary.lua";

std::unique_ptr<Model> LoadModel(const char* path)
{
    Model::ObjResult result = Model::ObjResult::Loaded;
    std::unique_ptr<Model> model = Assets::LoadModel(path, &result);
    if (result == Model::ObjResult::Unreadable)
        Problems::Load(2, path, 0, "cannot be opened: " + std::string(strerror(errno)));
    return model;
}

int LoadWeaponScript(ScriptManager& scripts, const char* path)
{
    const int handle = scripts.WeaponLoadScript(path);
    if (handle == 0)
        Problems::Load(2, path, 0, "failed to load (WeaponLoadScript returned the handle 0)");
    return handle;
}

}  // namespace

Player::Player() : Actor(nullptr, kStartPosition, kSize, kHealth)
{
    shield = kShield;
    maxHealth = health;
    maxShield = shield;

    shipModel = LoadModel("data/models/ship.obj");
    shipModel->SetTexture(Assets::GetTexture("ship.png"), 0);
    shipModel->SetShader(Assets::GetShader("player.shdr"));
    model = shipModel.get();

    shieldModel = LoadModel("data/models/shield.obj");
    shieldModel->SetShader(Assets::GetShader("shield.shdr"));
    shieldParameters = std::make_unique<ShaderParameters>();
    shieldModel->SetShaderParameters(shieldParameters.get());
    shieldParameters->SetFloat("alpha", shieldAlpha);

    // The first weapon script is the script host's first use: the interpreter
    // starts and the main script runs here.
    ScriptManager& scripts = ScriptManager::Instance();
    primaryWeapon = std::make_unique<Weapon>(kWeaponName, LoadWeaponScript(scripts, kPrimaryScript), 1);
    secondaryWeapon = std::make_unique<Weapon>(kWeaponName, LoadWeaponScript(scripts, kSecondaryScript), 1);
}

Player::~Player() = default;

bool Player::Update(float dt)
{
    if (flying) {
        const Controls::State input = controls.Read();
        // A held digit sets the level outright; a shoulder press steps it.
        int level = input.level;
        if (level == 0 && input.levelStep != 0)
            level = std::clamp(primaryWeapon->GetLevel() + input.levelStep, kMinLevel, kMaxLevel);
        if (level != 0) {
            primaryWeapon->SetLevel(level);
            secondaryWeapon->SetLevel(level);
        }

        // A key is a steer of 1: with keys alone this is the plain dt / 150 push.
        const float push = dt / 150;
        velocity.y += input.steerY * push;
        velocity.x += input.steerX * push;
    }

    if (velocity.x < -1.0f)
        velocity.x = -1.0f;
    else if (velocity.x > 1.0f)
        velocity.x = 1.0f;
    if (velocity.y < -0.6f)
        velocity.y = -0.6f;
    else if (velocity.y > 0.6f)
        velocity.y = 0.6f;

    position = position + velocity * (dt / 1.3f);
    velocity = velocity - (velocity * 0.08f) * (dt / 9);
    position.y += dt / 5;
    KeepInView(dt);

    // Not clamped: it may end slightly below 0 and stays there until a hit.
    if (shieldAlpha > 0)
        shieldAlpha -= dt / 750;

    if (!destroyed) {
        ScriptManager& scripts = ScriptManager::Instance();
        scripts.WeaponDoUpdate(primaryWeapon.get(), dt);
        scripts.WeaponDoUpdate(secondaryWeapon.get(), dt);
    }

    // A full shield in 5 seconds; an overshoot is trimmed on the next update.
    if (maxShield > shield)
        shield += maxShield * dt / 5000;
    else
        shield = maxShield;
    return true;
}

void Player::KeepInView(float dt)
{
    const GlobalInfo& info = GlobalInfo::Instance();
    const Vec2 half = info.GetViewHalfSize();
    if (!(half.x > 0 && half.y > 0))
        return;
    const float margin = static_cast<float>(radius);
    // Against the view as the camera will leave it after this step: it
    // scrolls on and follows the ship's new x.
    const float reach = PlayerCamera::PlayerReachX(info.GetLevelWidth(), half.x, margin);
    const float viewY = info.GetViewPosition().y + PlayerCamera::ScrollDistance(dt);
    const float halfY = std::max(half.y - margin, 0.0f);
    // Stopped at an edge, the ship loses the speed that pushes into it, so
    // it neither banks into the edge nor sticks to it.
    if (position.x > reach) {
        position.x = reach;
        velocity.x = std::min(velocity.x, 0.0f);
    } else if (position.x < -reach) {
        position.x = -reach;
        velocity.x = std::max(velocity.x, 0.0f);
    }
    if (position.y > viewY + halfY) {
        position.y = viewY + halfY;
        velocity.y = std::min(velocity.y, 0.0f);
    } else if (position.y < viewY - halfY) {
        position.y = viewY - halfY;
        velocity.y = std::max(velocity.y, 0.0f);
    }
}

void Player::EndFlight()
{
    if (!flying)
        return;
    flying = false;
    if (health > 0)
        return;
    destroyed = true;
    GraphicalEffects* effects = GlobalInfo::Instance().GetEffects();
    if (!effects)
        return;
    // A burst where the ship was, then a short chain around it.
    effects->AddExplosion(45.0f, position, 0.0f);
    const Vec2 offsets[] = {{30, 20}, {-35, -10}, {10, -40}, {-15, 35}};
    float delay = 150.0f;
    for (const Vec2& offset : offsets) {
        effects->AddExplosion(25.0f, position + offset, delay);
        delay += 150.0f;
    }
}

void Player::Damage(float amount)
{
    // Once the run is over nothing changes the outcome.
    if (!flying)
        return;
    // A NaN hit would spread into the shield and the hit points for good.
    if (std::isnan(amount))
        return;
    // The flash is shield / amount: a strong shield flashes fully, an empty
    // one not at all. A hit of 0 takes the limit instead of dividing by it.
    if (amount != 0) {
        const float strength = shield / amount;
        if (shieldAlpha < strength)
            shieldAlpha = strength;
    } else if (shield > 0) {
        shieldAlpha = 1.0f;
    }
    if (shieldAlpha > 1)
        shieldAlpha = 1.0f;
    shield -= amount;
    if (shield < 0) {
        health += shield;  // what the shield could not absorb
        shield = 0.0f;
    }
}

void Player::Draw()
{
    if (destroyed)
        return;
    glPushMatrix();
    glTranslatef(position.x, 0.0f, position.y);

    glPushMatrix();
    glRotatef(-velocity.x * 60, 0.0f, 0.0f, 1.0f);  // bank into sideways motion
    if (velocity.y < 0)
        glRotatef(velocity.y * 45, 1.0f, 0.0f, 0.0f);  // pitch only while backing up
    shipModel->RenderTree();
    glPopMatrix();

    if (shieldAlpha > 0) {
        shieldParameters->SetFloat("alpha", shieldAlpha);
        shieldModel->RenderTree();
    }
    glPopMatrix();
}
