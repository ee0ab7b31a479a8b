// The one step and vantrel-check's run over small levels: two worlds built,
// played and destroyed in a row (under the sanitizer build this also catches
// any pointer into the first world that outlives it); what the check reports
// for the common mistakes; its command line.
#include <cmath>
#include <cstring>

#include <GLFW/glfw3.h>

#include "core/LevelCheck.h"
#include "core/Problems.h"
#include "core/Simulation.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Player.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"
#include "tests/scene/TgaFile.h"

namespace {

// Enemies spawn, chase, shoot and explode; every death call is counted per
// enemy id, so each enemy must die at most once.
const char* const kPlayScript = R"(
deaths, nextId, elapsed, px, py = {}, 1000, 0, 0, 0
function Update(x, y, dt)
  px, py, elapsed = x, y, elapsed + dt
  while elapsed > 450 do
    elapsed, nextId = elapsed - 450, nextId + 1
    Vantrel.SpawnEnemy(nextId % 3 == 0 and 'tank' or 'drone', x + (nextId * 37) % 600 - 300, y + 450, nextId, 0, 0)
    Vantrel.Explode(x, y + 300, 10, 0)
  end
end
function WeaponDoUpdate(handle, level, dt, cooldown, b, c)
  cooldown = cooldown - dt
  if cooldown > 0 then return cooldown, b, c end
  Vantrel.ShootPlayerPlasma(0, px, py + 40, 0, 1.2, 3)
  return cooldown + 90, b, c
end
function EnemyDoUpdate(handle, x, y, dt, id, fire, c, timer)
  fire = fire + dt
  if fire > 900 then fire = fire - 900 Vantrel.ShootEnemyPlasma(1, x, y, 0, -0.5, 6) end
  return x + (px - x) * 0.001 * dt, y - 0.1 * dt, id, fire, c
end
function EnemyOnDeath(handle, x, y, id, fire, c, timer)
  deaths[id] = (deaths[id] or 0) + 1
  return true
end
)";

class SimulationTest : public GameplayTest {
protected:
    // A level on disk: two enemy types, one placed enemy, two bullet types, a flat heightmap.
    std::string WriteLevel(const std::string& types)
    {
        dir.Write("height.tga", MakeTga(8, 8, [](int, int) { return 0; }));
        dir.Write("types.txt", types);
        dir.Write("enemies.txt", "drone\n0 1200\n1 0 0\n");
        dir.Write("bullets.txt", "shot.png\n6 5\nplasma.png\n8 6\n");
        return dir.Write("level.txt", "1000 20000\n" + dir.Path() + "types.txt\n" + dir.Path() + "enemies.txt\n" +
                                          dir.Path() + "bullets.txt\n" + dir.Path() + "height.tga\n");
    }
    const std::string kTypes = "drone\nd.obj\nd.png\nd.lua\n50\n9\ntank\nt.obj\nt.png\nt.lua\n90\n40\n";

    // Builds and plays `seconds` through the check; returns the check.
    LevelCheck Play(const std::string& level, float seconds, Simulation& simulation)
    {
        LevelCheck::Options options;
        options.seconds = seconds;
        LevelCheck check(options);
        CaptureStdout([&] { simulation.Build(level); });
        check.Play(simulation);
        return check;
    }
};

TEST_F(SimulationTest, TwoWorldsInARowEachPlayAndLeaveNothingBehind)
{
    Start(kPlayScript);
    const std::string level = WriteLevel(kTypes);
    Problems::Reset();
    ::testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round) {
        Run("deaths = {}");
        Simulation simulation;
        const LevelCheck check = Play(level, 30, simulation);
        const LevelCheck::TypeCount drones = check.GetTypeCounts().at("drone");
        EXPECT_GT(drones.placed, 30) << round;
        EXPECT_GT(drones.killed, 10) << round;
        EXPECT_GT(check.GetPlayerHits(), 0) << round;
        EXPECT_GT(check.GetEnemyHits(), 0) << round;
        // Each killed enemy had exactly one death call.
        int killed = 0;
        for (const auto& [name, count] : check.GetTypeCounts())
            killed += count.killed;
        Run("n, twice = 0, 0 for id, c in pairs(deaths) do n = n + 1 if c > 1 then twice = twice + 1 end end");
        EXPECT_EQ(std::to_string(killed), Eval("n")) << round;
        EXPECT_EQ("0", Eval("twice")) << round;
        EXPECT_EQ(1, Top()) << round;

        simulation.TearDown();
        const GlobalInfo& info = GlobalInfo::Instance();
        EXPECT_TRUE(!info.GetPlayer() && !info.GetActors() && !info.GetBullets() && !info.GetEffects()) << round;
        // Scripts that outlive the world reach nothing.
        scripts->Update(500);
        scripts->WeaponDoUpdate(nullptr, 16);
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ("", errors);
    EXPECT_TRUE(Problems::List().empty()) << Problems::List()[0].message;
}

TEST_F(SimulationTest, FramesAreBoundedFastForwardedAndStillWhilePausedOrEnded)
{
    Start(kPlayScript);
    const std::string level = WriteLevel(kTypes);
    // What a frame may change: the ship, the view, the scripts' clock, the enemies and shots.
    auto WorldState = [this](Simulation& simulation, SimulationTest&) {
        const Actors& actors = *simulation.GetWorld()->GetActors();
        const Player& player = *actors.GetPlayer();
        return Join(player.GetPosition(), player.GetVelocity(), simulation.GetCamera()->GetScroll(),
                    actors.GetEnemies().size(), simulation.GetWorld()->GetBullets()->GetPlayerBullets().size(),
                    Eval("elapsed"));
    };
    held = {GLFW_KEY_UP, GLFW_KEY_LEFT};
    std::string states[2];
    for (int i = 0; i < 2; ++i) {  // a 500 ms hitch moves everything as a 100 ms frame does
        Run("elapsed, nextId = 0, 1000");
        Simulation simulation;
        CaptureStdout([&] { simulation.Build(level); });
        EXPECT_EQ(1, simulation.Frame(i == 0 ? 500.0f : 100.0f));
        states[i] = WorldState(simulation, *this);
    }
    EXPECT_EQ(states[1], states[0]);

    Simulation simulation;
    CaptureStdout([&] { simulation.Build(level); });
    RunState& run = simulation.GetRun();
    simulation.Frame(16);
    run.SetPaused(true);
    const std::string paused = WorldState(simulation, *this);
    for (float frame : {16.0f, 2000.0f, 16.0f})
        EXPECT_EQ(0, simulation.Frame(frame, true));
    EXPECT_EQ(paused, WorldState(simulation, *this));
    run.SetPaused(false);
    const float before = std::stof(Eval("elapsed"));
    const float scroll = simulation.GetCamera()->GetScroll();
    EXPECT_EQ(1, simulation.Frame(16));
    EXPECT_FLOAT_EQ(16, std::stof(Eval("elapsed")) - before) << "the first step after a pause is the frame's";
    EXPECT_EQ(4, simulation.Frame(16, true));
    EXPECT_FLOAT_EQ(scroll + 5 * 16 / 5.0f, simulation.GetCamera()->GetScroll());

    // The world runs on for two seconds of steps after the end, then holds,
    // even in the middle of a fast-forwarded frame.
    run.EndGame("Ship destroyed");
    int steps = 0;
    for (int frame = 0; frame < 100; ++frame)
        steps += simulation.Frame(100, true);
    EXPECT_EQ(int(RunState::kEndingTime / 100), steps);
    EXPECT_EQ(RunState::Phase::Ended, run.GetPhase());
    const std::string ended = WorldState(simulation, *this);
    EXPECT_EQ(0, simulation.Frame(16));
    EXPECT_EQ(ended, WorldState(simulation, *this));
}

TEST_F(SimulationTest, TheCheckNamesEachMistakeWithItsFileAndLine)
{
    struct Case {
        const char* what;
        std::string main;
        std::string types;
        bool realAssets;
        std::string expected;  // part of the one problem; empty for none
    };
    const std::string missing = dir.Path() + "nowhere.obj";
    // The fixture's log helper and the stub take the script's first eight lines.
    const Case cases[] = {
        {"clean", "", kTypes, false, ""},
        {"syntax error", "function Broken(\n  return\nend\n", kTypes, false, "main.lua:10: "},
        {"runtime error", "function EnemyDoUpdate() error('boom') end\n", kTypes, false,
         "EnemyDoUpdate: " + dir.Path() + "main.lua:9: boom"},
        {"missing model", "", "drone\n" + missing + "\nd.png\nd.lua\n50\n9\n", true,
         "model " + missing + " cannot be opened"},
        {"cut record", "", "drone\nd.obj\nd.png\n", false, "types.txt:1: the file ends inside this record"},
    };
    for (const Case& c : cases) {
        Problems::Reset();
        Start(c.main);
        if (c.realAssets)
            Assets::SetSource({});
        const std::string level = WriteLevel(c.types);
        ::testing::internal::CaptureStderr();
        {
            Simulation simulation;
            Play(level, 3, simulation);
        }
        ::testing::internal::GetCapturedStderr();
        Assets::SetSource(Assets::NullSource());
        LevelCheck check({});
        EXPECT_EQ(c.expected.empty(), check.Passed()) << c.what;
        if (c.expected.empty())
            continue;
        bool named = false;
        for (const Problems::Entry& entry : Problems::List())
            named |= entry.message.find(c.expected) != std::string::npos;
        EXPECT_TRUE(named) << c.what << ": " << (Problems::List().empty() ? "" : Problems::List()[0].message);
        if (std::string(c.what) == "runtime error") {  // every step fails the same way: one entry
            EXPECT_GT(Problems::List().at(0).count, 10);
        }
    }
    Problems::Reset();
}

TEST(LevelCheckArguments, AreReadOrRefused)
{
    struct Case {
        std::vector<const char*> args;
        bool ok;
        float seconds;
        int level;
        const char* trace;
    };
    const Case cases[] = {
        {{}, true, 0, 1, ""},
        {{"--seconds", "20", "--weapon-level", "10", "--trace", "Dart", "--quiet"}, true, 20, 10, "Dart"},
        {{"--weapon-level", "0"}, false, 0, 1, ""},
        {{"--weapon-level", "11"}, false, 0, 1, ""},
        {{"--weapon-level", "2.5"}, false, 0, 1, ""},
        {{"--seconds", "ten"}, false, 0, 1, ""},
        {{"--seconds", "-1"}, false, 0, 1, ""},
        {{"--seconds"}, false, 0, 1, ""},
        {{"--fast"}, false, 0, 1, ""},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("vantrel-check")};
        for (const char* a : c.args)
            argv.push_back(const_cast<char*>(a));
        LevelCheck::Options options;
        bool help = false;
        std::string error;
        const bool ok = LevelCheck::ParseArguments(static_cast<int>(argv.size()), argv.data(), options, help, error);
        const std::string line = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(c.ok, ok) << line << " " << error;
        if (ok)
            EXPECT_TRUE(options.seconds == c.seconds && options.weaponLevel == c.level && options.trace == c.trace)
                << line;
        else
            EXPECT_FALSE(error.empty()) << line;
    }
}

}  // namespace
