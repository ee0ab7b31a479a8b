// The whole game in the test's window, driven through its own seams: three new
// runs in a row each tear the world, the script state and what draws them
// down and build them again with the start-up's console lines, and leave
// nothing of the old run reachable. Under the sanitizer build a pointer kept
// into an old world, texture or shader is a use after free, and anything a
// restart forgets to free is a leak at exit. The gamepad's Start pauses as P
// does, and a pause holds the sound that a restart then silences.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <lua.hpp>

#include "audio/SoundManager.h"
#include "core/Game.h"
#include "core/Gamepad.h"
#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/Problems.h"
#include "game/Actors.h"
#include "game/Player.h"
#include "scene/World.h"
#include "script/ScriptManager.h"
#include "tests/support/TestFiles.h"

namespace {

void Lua(const std::string& code)
{
    lua_State* L = ScriptManager::Instance().GetState();
    ASSERT_EQ(0, luaL_dostring(L, code.c_str())) << lua_tostring(L, -1);
    lua_settop(L, 0);
}

// One frame without the window's focus changes: other tests' windows come
// and go on the same display and take the focus (focus is RunStateTest's).
float Frame(Game& game)
{
    Keyboard::TakeFocusChanges();
    return game.RunFrame();
}

// The boss's 2.5 s arrival sound, started in the next frame. Nothing else
// plays it, and it outlasts any frame, so whether it is heard does not hang
// on how quickly a loaded machine draws and swaps (the guns' are 70 ms).
const char* const kLong = "warden-arrival.wav";
void PlayLong(Game& game)
{
    Lua(std::string("Vantrel.PlaySound('") + kLong + "', 1)");
    Frame(game);
}
bool Playing(Game& game)
{
    const std::vector<std::string> playing = game.GetSounds()->PlayingEffects();
    return std::find(playing.begin(), playing.end(), kLong) != playing.end();
}

TEST(GameGL, ThreeRestartsInARowBuildEverythingAgainAndLeaveNothingOfTheOldRun)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(VANTREL_SOURCE_DIR);  // the game reads data/ from here
    // The sound library's file-writing output: a real mixer without a sound card.
    TempDir dir;
    setenv("ALSOFT_CONF",
           dir.Write("openal.conf", "[general]\ndrivers=wave\n[wave]\nfile=" + dir.Path() + "out.wav\n").c_str(), 1);
    std::set<int> held;
    Keyboard::SetSource([&held](int key) { return held.count(key) > 0; });
    Keyboard::TakePresses();
    Keyboard::TakeFocusChanges();

    Game game;
    bool started = false;
    const std::string startup = CaptureStdout([&] { started = game.Startup(); });
    ASSERT_TRUE(started) << startup;
    const std::string world = startup.substr(startup.find("Loading level...\n"));
    Frame(game);

    // Paused frames step nothing and hold the sound where it is: resumed after
    // longer than it lasts, it plays on.
    ASSERT_TRUE(game.GetSounds()->HasDevice());
    PlayLong(game);
    const auto soundStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(Playing(game));
    Keyboard::Press('P');
    EXPECT_TRUE(Frame(game) == 0 && !Playing(game));
    std::this_thread::sleep_until(soundStart + std::chrono::milliseconds(2700));
    Keyboard::Press(GLFW_KEY_PAUSE);
    EXPECT_GT(Frame(game), 0.0f);
    EXPECT_TRUE(Playing(game)) << "held, not stopped";

    // The gamepad's Start pauses and resumes like P, once per press.
    GamepadState pad;
    pad.connected = true;
    Gamepad::SetSource([&pad] { return pad; });
    auto start = [&] {
        pad.buttons[GLFW_GAMEPAD_BUTTON_START] = true;
        const float dt = Frame(game);
        pad.buttons[GLFW_GAMEPAD_BUTTON_START] = false;
        return dt;
    };
    pad.buttons[GLFW_GAMEPAD_BUTTON_START] = true;
    EXPECT_EQ(0.0f, Frame(game));
    EXPECT_EQ(0.0f, Frame(game)) << "held, it counts once";
    pad.buttons[GLFW_GAMEPAD_BUTTON_START] = false;
    EXPECT_EQ(0.0f, Frame(game)) << "let go, still paused";
    EXPECT_GT(start(), 0.0f);

    // F5, and the gamepad's Start after the end (Enter after the end asks for the
    // same new run: RunStateTest), twice.
    for (int round = 0; round < 3; ++round) {
        const bool f5 = round == 1;
        Lua("leftover = 1 Vantrel.AddScore(500)");
        if (!f5) {
            Lua("Vantrel.EndGame('Ship destroyed')");
            held = {GLFW_KEY_TAB};
            for (int frame = 0; frame < 300 && game.GetRun().GetPhase() != RunState::Phase::Ended; ++frame)
                Frame(game);
            held.clear();
            Keyboard::Press(GLFW_KEY_ENTER, GLFW_MOD_ALT);  // the full-screen switch, not a new run
            CaptureStdout([&] { Frame(game); });
            ASSERT_EQ(RunState::Phase::Ended, game.GetRun().GetPhase()) << round;
        }
        if (f5)
            Keyboard::Press(GLFW_KEY_F5);
        ::testing::internal::CaptureStderr();
        Problems::Script("Script error in Update: before the restart");
        ::testing::internal::GetCapturedStderr();
        const std::string output = CaptureStdout([&] { f5 ? Frame(game) : start(); });

        // The console lines of start-up again; F5 reloads the shaders and textures first.
        EXPECT_TRUE(output.size() >= world.size() && output.substr(output.size() - world.size()) == world)
            << round << output;
        EXPECT_EQ(f5 ? 0u : std::string::npos, output.find("\nLoading shaders...\n")) << output;
        // F5 starts the problem log afresh, so what the edited files still get wrong is new again.
        EXPECT_EQ(Problems::Count() == 0, f5) << round;
        // A fresh Lua state, a fresh run, and the blackboard pointing at the new world only.
        Lua("assert(leftover == nil and Vantrel.GetScore() == 0)");
        Lua("assert(not pcall(os.execute, 'true'))");  // sandboxed like the first
        const GlobalInfo& info = GlobalInfo::Instance();
        EXPECT_TRUE(info.GetPlayer() == game.GetWorld()->GetActors()->GetPlayer() &&
                    info.GetActors() == game.GetWorld()->GetActors() && info.GetRun() == &game.GetRun() &&
                    info.GetSounds() == game.GetSounds())
            << round;
        for (int frame = 0; frame < 3; ++frame)
            EXPECT_GT(Frame(game), 0.0f) << round;
    }
    // A restart silences what the old run left playing, even from the pause
    // screen, and the new run is not paused: it is heard.
    PlayLong(game);
    Keyboard::Press('P');
    Frame(game);
    CaptureStdout([&] { game.Restart(false); });
    EXPECT_TRUE(game.GetSounds()->PlayingEffects().empty());
    EXPECT_FALSE(game.GetRun().IsPaused());
    PlayLong(game);
    EXPECT_TRUE(Playing(game)) << "the new run is heard";

    game.Teardown();
    Problems::Reset();
    Keyboard::SetSource({});
    Gamepad::SetSource({});
    unsetenv("ALSOFT_CONF");
    std::filesystem::current_path(previous);
}

}  // namespace
