#include <GLFW/glfw3.h>

#include <cmath>

#include "effects/GraphicalEffects.h"
#include "game/Player.h"
#include "scene/PlayerCamera.h"
#include "game/Weapon.h"
#include "tests/game/GameplayFixture.h"

namespace {

class PlayerTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start("handles = 0\n"
              "function WeaponLoadScript(path) handles = handles + 1 Log('load', path) return 10 * handles end\n"
              "function WeaponDoUpdate(h, l, dt, a, b, c) Log('weapon', h, l, dt) return a, b, c end\n");
        player = std::make_unique<Player>();
    }

    void TearDown() override
    {
        player.reset();
        GameplayTest::TearDown();
    }

    void Hold(std::initializer_list<int> keys) { held = keys; }

    std::unique_ptr<Player> player;
};

TEST_F(PlayerTest, StartsAtTheDesignValuesAndRunsBothWeaponsPrimaryFirst)
{
    // Position, radius (size 85), health, shield.
    EXPECT_EQ("0 200 42 100 30", Join(player->GetPosition(), player->GetRadius(), player->GetHealth(), player->GetShield()));
    EXPECT_EQ("load data/scripts/weapons/vulcan-primary.lua | load data/scripts/weapons/vulcan-secondary.lua",
              TakeLog());
    Hold({'4'});
    player->Update(16.5f);
    EXPECT_EQ("weapon 10 4 16.5 | weapon 20 4 16.5", TakeLog());
}

TEST_F(PlayerTest, OneFrameWithUpHeldFromRestAndTheDrift)
{
    Hold({GLFW_KEY_UP});
    player->Update(16);
    // 16/150 moved for 16/1.3 ms, plus the drift of 3.2; then the drag.
    EXPECT_NEAR(1.313, player->GetPosition().y - 200 - 3.2, 1e-3);
    EXPECT_NEAR(0.0915, player->GetVelocity().y, 1e-4);
    EXPECT_EQ(0.0f, player->GetVelocity().x);

    player = std::make_unique<Player>();
    Hold({});
    for (int i = 0; i < 10; ++i)
        player->Update(100);
    EXPECT_NEAR(400.0f, player->GetPosition().y, 1e-3);  // 0.2 units per millisecond
    EXPECT_EQ(0.0f, player->GetPosition().x);
}

TEST_F(PlayerTest, SteeringKeys)
{
    // Left is +x: the view's +x is the screen's left. The signs of the velocity after one frame.
    const struct {
        std::initializer_list<int> keys;
        const char* signs;
    } cases[] = {
        {{GLFW_KEY_UP}, "0 1"},   {{'W'}, "0 1"},  {{GLFW_KEY_DOWN}, "0 -1"}, {{'S'}, "0 -1"},
        {{GLFW_KEY_LEFT}, "1 0"}, {{'A'}, "1 0"},  {{GLFW_KEY_RIGHT}, "-1 0"}, {{'D'}, "-1 0"},
        {{GLFW_KEY_LEFT, GLFW_KEY_RIGHT}, "0 0"}, {{GLFW_KEY_UP, 'S'}, "0 0"}, {{GLFW_KEY_UP, 'D'}, "-1 1"},
    };
    auto sign = [](float v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        player->SetVelocity(Vec2());
        Hold(c.keys);
        player->Update(16);
        EXPECT_EQ(c.signs, Join(sign(player->GetVelocity().x), sign(player->GetVelocity().y))) << *c.keys.begin();
    }
    // The key and its letter are one test: both held change the velocity once.
    player->SetVelocity(Vec2());
    Hold({GLFW_KEY_UP, 'W'});
    player->Update(16);
    const float both = player->GetVelocity().y;
    player->SetVelocity(Vec2());
    Hold({'W'});
    player->Update(16);
    EXPECT_EQ(player->GetVelocity().y, both);
}

TEST_F(PlayerTest, VelocityIsClampedBeforeTheMove)
{
    const std::pair<Vec2, Vec2> cases[] = {
        {Vec2(5, 5), Vec2(1, 0.6f)}, {Vec2(-5, -5), Vec2(-1, -0.6f)}, {Vec2(0.5f, -0.2f), Vec2(0.5f, -0.2f)}};
    for (auto [before, after] : cases) {
        player->SetVelocity(before);
        player->Update(0);  // no time: only the clamp acts
        EXPECT_EQ(Join(after), Join(player->GetVelocity()));
    }
    // Held for long the speed settles below the clamp because drag follows it.
    Hold({GLFW_KEY_UP, GLFW_KEY_LEFT});
    for (int i = 0; i < 200; ++i)
        player->Update(16);
    EXPECT_LE(player->GetVelocity().y, 0.6f);
    EXPECT_GT(player->GetVelocity().y, 0.4f);
}

TEST_F(PlayerTest, DigitKeysSetBothWeaponsLevelsLastTestedWins)
{
    const struct {
        std::initializer_list<int> keys;
        int level;
    } cases[] = {
        {{'5'}, 5}, {{'3', '7'}, 7}, {{'0', '4'}, 10}, {{'9', '1'}, 9}, {{}, 9}, {{'0'}, 10}, {{'1'}, 1},
    };
    for (auto [keys, level] : cases) {
        Hold(keys);
        player->Update(16);
        EXPECT_EQ(Join(level, level), Join(player->GetPrimaryWeapon()->GetLevel(), player->GetSecondaryWeapon()->GetLevel()));
    }
}

TEST_F(PlayerTest, GamepadSteersLikeTheKeysStickInProportionBeyondTheDeadZone)
{
    Hold({GLFW_KEY_UP});
    player->Update(16);
    const float key = player->GetVelocity().y;
    Hold({});

    // Velocity after one frame from rest, in units of the key's; the pad's
    // axes grow rightwards and downwards, the ship's x to the screen's left.
    const struct {
        float stickX, stickY;
        std::initializer_list<int> buttons;
        float x, y;
    } cases[] = {
        {0, -1, {}, 0, 1},        {0, -0.5f, {}, 0, 0.5f},   {0.5f, 0, {}, -0.5f, 0},
        {0, -0.15f, {}, 0, 0},    {-0.2f, 0.2f, {}, 0, 0},   {-1.3f, 0, {}, 1, 0},  // dead zone; overshoot
        {NAN, NAN, {}, 0, 0},
        {0, 0, {GLFW_GAMEPAD_BUTTON_DPAD_UP}, 0, 1},         {0, 0, {GLFW_GAMEPAD_BUTTON_DPAD_LEFT}, 1, 0},
        {0, 0, {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, GLFW_GAMEPAD_BUTTON_DPAD_RIGHT}, -1, -1},
        {0, -1, {GLFW_GAMEPAD_BUTTON_DPAD_UP}, 0, 1},        // never harder than a key
        {0, 0.5f, {GLFW_GAMEPAD_BUTTON_DPAD_UP}, 0, 0.5f},
    };
    for (const auto& c : cases) {
        pad = GamepadState();
        pad.connected = true;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = c.stickX;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = c.stickY;
        for (int b : c.buttons)
            pad.buttons[b] = true;
        player->SetVelocity(Vec2());
        player->Update(16);
        EXPECT_NEAR(c.x, player->GetVelocity().x / key, 1e-5) << c.stickX << ' ' << c.stickY;
        EXPECT_NEAR(c.y, player->GetVelocity().y / key, 1e-5) << c.stickX << ' ' << c.stickY;
    }
}

TEST_F(PlayerTest, ShoulderButtonsStepTheLevelOncePerPressWithinOneToTen)
{
    const int lower = GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, raise = GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER;
    const struct {
        std::initializer_list<int> buttons;
        std::initializer_list<int> keys;
        int level;
    } steps[] = {
        {{raise}, {}, 2}, {{raise}, {}, 2}, {{raise}, {}, 2},  // held: one step
        {{}, {}, 2},      {{raise}, {}, 3}, {{}, {}, 3},       {{lower}, {}, 2},
        {{}, {}, 2},      {{lower, raise}, {}, 2},             // both at once cancel
        {{}, {'9'}, 9},   {{raise}, {}, 10}, {{}, {}, 10},     {{raise}, {}, 10},
        {{}, {'1'}, 1},   {{lower}, {}, 1},
    };
    pad.connected = true;
    for (const auto& step : steps) {
        pad.buttons = {};
        for (int b : step.buttons)
            pad.buttons[b] = true;
        Hold(step.keys);
        player->Update(16);
        EXPECT_EQ(Join(step.level, step.level),
                  Join(player->GetPrimaryWeapon()->GetLevel(), player->GetSecondaryWeapon()->GetLevel()));
    }
}

TEST_F(PlayerTest, DamageGoesThroughTheShieldFirst)
{
    struct Case {
        float shield, alpha, amount;
        float shieldAfter, healthAfter, alphaAfter;
    } cases[] = {
        {30, 0, 10, 20, 100, 1},            // 30/10 = 3, held at 1
        {10, 0, 40, 0, 70, 0.25f},          // what the shield cannot take comes off the hit points
        {0, -0.01f, 25, 0, 75, 0},          // an empty shield does not flash; below 0 is raised to 0
        {0, 0.5f, 25, 0, 75, 0.5f},         // a flash in progress is not dimmed
        {30, 0, 0, 30, 100, 1},             // a hit of 0 on a shield: the limit of shield/amount
        {0, 0.2f, 0, 0, 100, 0.2f},         // a hit of 0 on nothing: no change, no NaN
        {30, 0, 1e-45f, 30, 100, 1},        // a vanishing hit flashes fully, without NaN
        {30, 0, INFINITY, 0, -INFINITY, 0},
        {30, 0, NAN, 30, 100, 0},           // a NaN hit changes nothing
    };
    for (const Case& c : cases) {
        player->SetShield(c.shield);
        player->SetHealth(100);
        player->SetShieldAlpha(c.alpha);
        player->Damage(c.amount);
        EXPECT_EQ(Join(c.shieldAfter, c.healthAfter, c.alphaAfter),
                  Join(player->GetShield(), player->GetHealth(), player->GetShieldAlpha())) << c.amount;
    }
}

TEST_F(PlayerTest, ShieldFlashFadesOverThreeQuartersOfASecondAndMayEndBelowZero)
{
    player->Damage(10);
    player->Update(375);
    EXPECT_NEAR(0.5f, player->GetShieldAlpha(), 1e-6);
    player->Update(374);
    player->Update(16);
    const float after = player->GetShieldAlpha();
    EXPECT_LT(after, 0.0f);
    EXPECT_GT(after, -0.03f);
    player->Update(16);
    EXPECT_EQ(after, player->GetShieldAlpha());  // stays until the next hit
}

TEST_F(PlayerTest, EmptyShieldIsFullAgainAfterFiveSeconds)
{
    player->SetShield(0);
    for (int t = 0; t < 4992; t += 16)
        player->Update(16);
    EXPECT_LT(player->GetShield(), 30.0f);
    player->Update(16);
    EXPECT_GE(player->GetShield(), 30.0f);
    EXPECT_LT(player->GetShield(), 30.2f);  // the overshoot of one frame
    player->Update(16);
    EXPECT_EQ(30.0f, player->GetShield());  // trimmed on the next update
}

TEST_F(PlayerTest, ShipIsKeptInsideTheViewTheCameraWillShow)
{
    PlayerCamera camera(1000.0f);  // shows 552.28 x 414.21 to each side of its centre
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    // After a 16 ms step the view's centre is at y 1003.2; the ship keeps its
    // radius 42 inside the edges. Sideways the camera follows x / (2500 / W):
    // W 500 follows a fifth, so the screen edge is at 5/4 * 510.28 = 637.86; W 1000
    // follows half, and the view's centre may go 500 from the middle; W 2500
    // follows fully, so only the level's half-width 1250 holds it.
    const struct {
        int levelWidth;
        Vec2 start, velocity;
        const char* after;  // position and velocity
    } cases[] = {
        {1000, Vec2(1500, 1000), Vec2(1, 0), "1000 1003.2 0 0"},
        {1000, Vec2(-1500, 1000), Vec2(-1, 0.2f), "-1000 1005.66 0 0.17"},
        {500, Vec2(900, 1000), Vec2(0.5f, 0), "637.86 1003.2 0 0"},
        {500, Vec2(-900, 1000), Vec2(0, 0), "-637.86 1003.2 0 0"},
        {2500, Vec2(1200, 1000), Vec2(0, 0), "1200 1003.2 0 0"},  // inside: untouched
        {2500, Vec2(1300, 1000), Vec2(0, 0), "1250 1003.2 0 0"},
        {1000, Vec2(0, 2000), Vec2(0, 0.6f), "0 1375.41 0 0"},      // top edge
        {1000, Vec2(0, 200), Vec2(0, -0.6f), "0 630.99 0 0"},       // bottom edge
        {1000, Vec2(0, 1370), Vec2(0, -0.3f), "0 1369.51 0 -0.26"}, // inside, moving back in
    };
    auto round = [](float v) { return std::round(v * 100) / 100; };
    for (const auto& c : cases) {
        GlobalInfo::Instance().SetLevelSize(c.levelWidth, 44000);
        player->SetPosition(c.start);
        player->SetVelocity(c.velocity);
        player->Update(16);
        EXPECT_EQ(c.after, Join(round(player->GetPosition().x), round(player->GetPosition().y),
                                round(player->GetVelocity().x), round(player->GetVelocity().y)))
            << c.levelWidth << " " << Join(c.start);
    }
    // The camera then shows the ship whole.
    GlobalInfo::Instance().SetLevelSize(500, 44000);
    GlobalInfo::Instance().SetPlayer(player.get());
    player->SetPosition(Vec2(900, 1000));
    player->Update(16);
    camera.Update(16);
    EXPECT_NEAR(552.28f - 42, player->GetPosition().x - GlobalInfo::Instance().GetViewPosition().x, 0.01f);
}

TEST_F(PlayerTest, EndOfFlightStopsTheControlsAndHitsAndAGoneHullExplodes)
{
    GraphicalEffects effects;
    GlobalInfo::Instance().SetEffects(&effects);
    player->EndFlight();
    Hold({GLFW_KEY_UP, '5'});
    player->Update(16);
    player->Damage(50);
    EXPECT_EQ("0 0 1 100 30", Join(player->GetVelocity(), player->GetPrimaryWeapon()->GetLevel(),
                                   player->GetHealth(), player->GetShield()));
    EXPECT_FALSE(player->IsDestroyed());
    EXPECT_EQ(0u, effects.GetEffectCount());
    TakeLog();
    player->Update(16);
    EXPECT_EQ("weapon 10 1 16 | weapon 20 1 16", TakeLog());  // an intact ship still fires

    // With the hull gone the ship bursts into explosions and its guns fall silent.
    player = std::make_unique<Player>();
    player->SetHealth(0);
    player->EndFlight();
    player->EndFlight();
    EXPECT_TRUE(player->IsDestroyed());
    EXPECT_GT(effects.GetEffectCount(), 0u);
    TakeLog();
    player->Update(16);
    EXPECT_EQ("", TakeLog());
}

}  // namespace
