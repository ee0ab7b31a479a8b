#include <GLFW/glfw3.h>

#include <cmath>

#include "game/Player.h"
#include "game/Weapon.h"
#include "scene/PlayerCamera.h"
#include "tests/game/GameplayFixture.h"

namespace {

class PlayerTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start("");
        player = std::make_unique<Player>();
    }
    std::unique_ptr<Player> player;
};

// (The design values, the push, the drag, the drift, the weapons' calls and
// the shield's refill in play: ShippedLevelTest's trace.) Keys never reach
// the sideways bound, so a step of no time shows each clamp alone.
TEST_F(PlayerTest, VelocityIsClampedBeforeTheMove)
{
    const std::pair<Vec2, Vec2> clamps[] = {
        {Vec2(5, 5), Vec2(1, 0.6f)}, {Vec2(-5, -5), Vec2(-1, -0.6f)}, {Vec2(0.5f, -0.2f), Vec2(0.5f, -0.2f)}};
    for (auto [before, after] : clamps) {
        player->SetVelocity(before);
        player->Update(0);
        EXPECT_EQ(Join(after), Join(player->GetVelocity()));
    }
}

TEST_F(PlayerTest, KeysAndGamepadSteerTheStickInProportionBeyondTheDeadZone)
{
    held = {GLFW_KEY_UP};
    player->Update(16);
    const float key = player->GetVelocity().y;

    // Velocity after one frame from rest, in units of the key's. Left is +x:
    // the view's +x is the screen's left; the pad's axes grow rightwards and downwards.
    const int up = GLFW_GAMEPAD_BUTTON_DPAD_UP;
    const struct {
        std::initializer_list<int> keys;
        float stickX, stickY;
        std::initializer_list<int> buttons;
        float x, y;
    } cases[] = {
        {{'W'}, 0, 0, {}, 0, 1},  {{GLFW_KEY_DOWN}, 0, 0, {}, 0, -1}, {{'S'}, 0, 0, {}, 0, -1},
        {{GLFW_KEY_LEFT}, 0, 0, {}, 1, 0}, {{'A'}, 0, 0, {}, 1, 0}, {{GLFW_KEY_RIGHT}, 0, 0, {}, -1, 0},
        {{'D'}, 0, 0, {}, -1, 0}, {{GLFW_KEY_LEFT, GLFW_KEY_RIGHT}, 0, 0, {}, 0, 0},
        {{}, 0, -0.5f, {}, 0, 0.5f}, {{}, 0.5f, 0, {}, -0.5f, 0}, {{}, -0.2f, 0.2f, {}, 0, 0},  // dead zone
        {{}, -1.3f, 0, {}, 1, 0}, {{}, NAN, NAN, {}, 0, 0}, {{}, 0, 0, {GLFW_GAMEPAD_BUTTON_DPAD_LEFT}, 1, 0},
        {{}, 0, 0, {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, GLFW_GAMEPAD_BUTTON_DPAD_RIGHT}, -1, -1},
        {{GLFW_KEY_UP}, 0, -1, {up}, 0, 1}, {{}, 0, 0.5f, {up}, 0, 0.5f},  // never harder than a key
    };
    for (const auto& c : cases) {
        held = c.keys;
        pad = GamepadState();
        pad.connected = true;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = c.stickX;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = c.stickY;
        for (int b : c.buttons)
            pad.buttons[b] = true;
        player->SetVelocity(Vec2());
        player->Update(16);
        EXPECT_EQ(Join(c.x, c.y), Join(std::round(player->GetVelocity().x / key * 1e4f) / 1e4f,
                                       std::round(player->GetVelocity().y / key * 1e4f) / 1e4f))
            << c.stickX << ' ' << c.stickY << ' ' << c.keys.size();
    }
}

TEST_F(PlayerTest, DigitsSetBothWeaponsLevelsAndShoulderPressesStepItWithinOneToTen)
{
    const int lower = GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, raise = GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER;
    const struct {
        std::initializer_list<int> keys;
        std::initializer_list<int> buttons;
        int level;
    } steps[] = {
        {{'5'}, {}, 5}, {{'0', '4'}, {}, 10}, {{'9', '1'}, {}, 9},  // the highest digit wins, 0 counting as ten
        {{'1'}, {}, 1}, {{}, {raise}, 2}, {{}, {raise}, 2}, {{}, {}, 2}, {{}, {raise}, 3},  // held: one step
        {{}, {lower}, 2}, {{}, {}, 2}, {{}, {lower, raise}, 2},  // both at once cancel
        {{'9'}, {}, 9}, {{}, {raise}, 10}, {{}, {}, 10}, {{}, {raise}, 10}, {{'1'}, {}, 1}, {{}, {lower}, 1},
    };
    pad.connected = true;
    for (const auto& step : steps) {
        pad.buttons = {};
        for (int b : step.buttons)
            pad.buttons[b] = true;
        held = step.keys;
        player->Update(16);
        EXPECT_EQ(Join(step.level, step.level),
                  Join(player->GetPrimaryWeapon()->GetLevel(), player->GetSecondaryWeapon()->GetLevel()));
    }
}

TEST_F(PlayerTest, DamageGoesThroughTheShieldFirstAndTheShieldFlashesAndRefills)
{
    const struct {
        float shield, alpha, amount;
        float shieldAfter, healthAfter, alphaAfter;
    } cases[] = {
        {30, 0, 10, 20, 100, 1},            // 30/10 = 3, held at 1
        {0, -0.01f, 25, 0, 75, 0},          // what the shield cannot take comes off the hit points; an empty
                                            // shield does not flash; below 0 is raised to 0
        {0, 0.5f, 25, 0, 75, 0.5f},         // a flash in progress is not dimmed
        {30, 0, 0, 30, 100, 1},             // a hit of 0 on a shield: the limit of shield/amount
        {0, 0.2f, 0, 0, 100, 0.2f},         // a hit of 0 on nothing: no change, no NaN
        {30, 0, INFINITY, 0, -INFINITY, 0}, // an infinite hit takes all, without NaN
        {30, 0, NAN, 30, 100, 0},           // a NaN hit changes nothing
    };
    for (const auto& c : cases) {
        player->SetShield(c.shield);
        player->SetHealth(100);
        player->SetShieldAlpha(c.alpha);
        player->Damage(c.amount);
        EXPECT_EQ(Join(c.shieldAfter, c.healthAfter, c.alphaAfter),
                  Join(player->GetShield(), player->GetHealth(), player->GetShieldAlpha())) << c.amount;
    }

    // The flash fades over three quarters of a second and is then gone (drawn
    // only above 0; how far below 0 it ends changes nothing a caller sees).
    player->SetShieldAlpha(1);
    player->Update(375);
    EXPECT_NEAR(0.5f, player->GetShieldAlpha(), 1e-6);
    for (int frame = 0; frame < 25; ++frame)  // in frames: a stop short of 0 shows
        player->Update(16);
    EXPECT_LE(player->GetShieldAlpha(), 0.0f);

    // A refill that overshoots is trimmed on the next update.
    player->SetShield(29.99f);
    player->Update(16);
    player->Update(16);
    EXPECT_EQ(30.0f, player->GetShield());
}

TEST_F(PlayerTest, ShipIsKeptInsideTheViewTheCameraWillShow)
{
    // After a 16 ms step the view's centre is at y 1003.2; the ship keeps its radius 42 inside the
    // 552.28 x 414.21 the camera shows. Sideways the camera follows x / (2500 / W): W 500 follows a
    // fifth (edge at 5/4 * 510.28), W 1000 half (the centre goes up to 500 out), W 2500 fully (1250).
    PlayerCamera camera(1000.0f);
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    const struct {
        int levelWidth;
        Vec2 start, velocity;
        const char* after;  // position and velocity
    } cases[] = {
        {1000, Vec2(1500, 1000), Vec2(1, 0), "1000 1003.2 0 0"},
        {1000, Vec2(-1500, 1000), Vec2(-1, 0.2f), "-1000 1005.66 0 0.17"},
        {500, Vec2(-900, 1000), Vec2(0.5f, 0), "-637.86 1003.2 0.43 0"},  // moving back in keeps its speed
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
}

// After the flight no hit counts (that the keys and guns stop, and that a
// ship still whole is not destroyed: the trace).
TEST_F(PlayerTest, EndOfFlightStopsTheHits)
{
    player->EndFlight();
    player->Damage(50);
    EXPECT_EQ("100 30", Join(player->GetHealth(), player->GetShield()));
}

}  // namespace
