// The one step and vantrel-check's run over small levels: a world built,
// played and destroyed; what the check reports for a broken script; its
// command line.
#include <GLFW/glfw3.h>

#include "core/LevelCheck.h"
#include "core/Problems.h"
#include "core/Simulation.h"
#include "game/Actors.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"
#include "tests/scene/TgaFile.h"

namespace {

// Enemies spawn, chase, shoot and explode.
const char* const kPlayScript = R"(
nextId, elapsed, px, py = 1000, 0, 0, 0
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
function EnemyOnDeath() return true end
)";

class SimulationTest : public GameplayTest {
protected:
    // A level on disk: two enemy types, one placed enemy, two bullet types, a flat heightmap.
    std::string WriteLevel()
    {
        dir.Write("height.tga", MakeTga(8, 8, [](int, int) { return 0; }));
        dir.Write("types.txt", "drone\nd.obj\nd.png\nd.lua\n50\n9\ntank\nt.obj\nt.png\nt.lua\n90\n40\n");
        dir.Write("enemies.txt", "drone\n0 1200\n1 0 0\n");
        dir.Write("bullets.txt", "shot.png\n6 5\nplasma.png\n8 6\n");
        return dir.Write("level.txt", "1000 20000\n" + dir.Path() + "types.txt\n" + dir.Path() + "enemies.txt\n" +
                                          dir.Path() + "bullets.txt\n" + dir.Path() + "height.tga\n");
    }
};

// A hitch is one bounded step, a paused run holds still and fast-forward
// runs five steps a frame; after the end the world runs two seconds more,
// then holds; torn down, nothing is left reachable. (Kills and hits through
// the check, and two worlds in a row under the sanitizer build:
// ShippedLevelTest, GameGLTest.)
TEST_F(SimulationTest, AWorldPlaysBoundedFramesAndLeavesNothingBehind)
{
    Start(kPlayScript);
    ::testing::internal::CaptureStderr();
    Simulation simulation;
    CaptureStdout([&] { simulation.Build(WriteLevel()); });
    RunState& run = simulation.GetRun();
    // What a frame may change: the ship, the view, the scripts' clock, the enemies.
    auto state = [&] {
        const Actors& actors = *simulation.GetWorld()->GetActors();
        return Join(actors.GetPlayer()->GetPosition(), simulation.GetCamera()->GetScroll(), actors.GetEnemies().size(),
                    Eval("elapsed"));
    };
    held = {GLFW_KEY_UP, GLFW_KEY_LEFT};
    EXPECT_EQ(1, simulation.Frame(500));
    EXPECT_EQ("100", Eval("elapsed")) << "a 500 ms hitch is one step of 100 ms";
    run.SetPaused(true);
    const std::string paused = state();
    for (float frame : {16.0f, 2000.0f})
        EXPECT_EQ(0, simulation.Frame(frame, true));
    EXPECT_EQ(paused, state());
    run.SetPaused(false);
    const float scroll = simulation.GetCamera()->GetScroll();
    EXPECT_EQ(1, simulation.Frame(16));
    EXPECT_EQ("116", Eval("elapsed")) << "the first step after a pause is the frame's";
    EXPECT_EQ(4, simulation.Frame(16, true));
    EXPECT_FLOAT_EQ(scroll + 5 * 16 / 5.0f, simulation.GetCamera()->GetScroll());

    // Even in the middle of a fast-forwarded frame (29 steps of 70 ms: 7 frames and one step).
    run.EndGame("Ship destroyed");
    int steps = 0;
    for (int frame = 0; frame < 100; ++frame)
        steps += simulation.Frame(70, true);
    EXPECT_EQ(29, steps);
    EXPECT_EQ(RunState::Phase::Ended, run.GetPhase());
    const std::string ended = state();
    EXPECT_EQ(0, simulation.Frame(16));
    EXPECT_EQ(ended, state());

    simulation.TearDown();
    const GlobalInfo& info = GlobalInfo::Instance();
    EXPECT_TRUE(!info.GetPlayer() && !info.GetActors() && !info.GetBullets() && !info.GetEffects());
    // Scripts that outlive the world reach nothing.
    scripts->Update(500);
    scripts->WeaponDoUpdate(nullptr, 16);
    EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(Problems::List().empty()) << Problems::List()[0].message;
}

// A main script that does not compile fails the check and is named with its
// line (a failing call: check_exit.sh).
TEST_F(SimulationTest, TheCheckFailsOnABrokenMainScriptAndNamesItsLine)
{
    // The fixture's log helper and the stub take the script's first eight lines.
    Start("function Broken(\n  return\nend\n");
    ::testing::internal::CaptureStderr();
    {
        Simulation simulation;
        CaptureStdout([&] { simulation.Build(WriteLevel()); });
        LevelCheck::Options options;
        options.seconds = 3;
        LevelCheck(options).Play(simulation);
    }
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(LevelCheck({}).Passed());
    bool named = false;
    for (const Problems::Entry& entry : Problems::List())
        named = named || entry.message.find("main.lua:10: ") != std::string::npos;
    EXPECT_TRUE(named) << Problems::List().at(0).message;
    Problems::Reset();
}

TEST(LevelCheckArguments, AreReadOrRefused)
{
    std::vector<const char*> good = {"vantrel-check", "--seconds", "20", "--weapon-level", "10", "--trace", "Dart", "--quiet"};
    LevelCheck::Options options;
    bool help = false;
    std::string error;
    ASSERT_TRUE(LevelCheck::ParseArguments(int(good.size()), const_cast<char**>(good.data()), options, help, error));
    EXPECT_EQ("20 10 Dart", Join(options.seconds, options.weaponLevel, options.trace));
    for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
             {"--weapon-level", "0"}, {"--weapon-level", "11"}, {"--weapon-level", "2.5"}, {"--seconds", "ten"},
             {"--seconds", "-1"}, {"--seconds"}, {"--fast"}}) {
        args.insert(args.begin(), "vantrel-check");
        error.clear();
        EXPECT_FALSE(LevelCheck::ParseArguments(int(args.size()), const_cast<char**>(args.data()), options, help, error))
            << args[1];
        EXPECT_FALSE(error.empty()) << args[1];
    }
}

}  // namespace
