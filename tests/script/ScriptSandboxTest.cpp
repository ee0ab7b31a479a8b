// What scripts may and may not do: the sandbox's refusals and the reads it
// keeps, the watchdog on an endless loop in every kind of call, the memory
// bound, and the checked arguments of the game functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <lua.hpp>

#include "core/Problems.h"
#include "game/Weapon.h"
#include "script/ScriptManager.h"
#include "tests/support/TestFiles.h"

namespace {

struct Sandbox {
    TempDir dir;
    std::unique_ptr<ScriptManager> scripts;
    std::string errors;

    // The main script `main` in a data directory that also holds a data file
    // and a module; stderr is collected in `errors`.
    explicit Sandbox(const std::string& main)
    {
        dir.Write("notes.txt", "first\nsecond\n");
        std::filesystem::create_directories(dir.Path() + "scripts");
        dir.Write("scripts/helper.lua", "return { answer = 42 }\n");
        dir.Write("scripts/binary.lua", std::string(LUA_SIGNATURE) + "\x51");
        Capture([&] { scripts = std::make_unique<ScriptManager>(dir.Write("scripts/main.lua", main), dir.Path()); });
    }
    template <typename F>
    void Capture(F&& body)
    {
        ::testing::internal::CaptureStderr();
        body();
        errors += ::testing::internal::GetCapturedStderr();
    }
    // Runs `code` as the body of Update and returns its error message ("" when it ran).
    std::string Fails(const std::string& code)
    {
        lua_State* L = scripts->GetState();
        EXPECT_EQ(luaL_dostring(L, ("function Update() " + code + " end").c_str()), 0);
        const int before = scripts->GetErrorCount();
        errors.clear();
        Capture([&] { scripts->Update(16); });
        EXPECT_EQ(lua_gettop(L), 1);  // the Vantrel table only
        return scripts->GetErrorCount() > before ? errors : "";
    }
};

// An empty `message` means the code must run without an error.
bool Reports(const std::string& errors, const std::string& message)
{
    return message.empty() ? errors.empty() : errors.find(message) != std::string::npos;
}

TEST(ScriptSandbox, RefusesWhatGameLogicDoesNotNeedBoundsMemoryAndChecksArguments)
{
    Sandbox sandbox("");
    const std::string data = sandbox.dir.Path();
    const std::pair<std::string, const char*> cases[] = {
        {"os.execute('true')", "os.execute is not available to game scripts"},
        {"os.exit(1)", "os.exit is not available to game scripts"},
        {"os.remove('" + data + "notes.txt')", "os.remove is not available to game scripts"},
        {"io.popen('ls')", "io.popen is not available to game scripts"},
        {"io.open('" + data + "notes.txt', 'w')", "io.open with mode \"w\" is not available to game scripts"},
        {"io.open('/etc/passwd')", "io.open of /etc/passwd is not available to game scripts"},
        {"assert(not io.open('" + data + "missing.txt', 'r'))", ""},  // missing: nil, as io.open says
        {"io.lines('/etc/passwd')", "io.lines of /etc/passwd is not available to game scripts"},
        {"io.open('" + data + "notes.txt'):write('x')", "file:write is not available to game scripts"},
        {"package.loadlib('libc.so.6', 'system')", "package.loadlib is not available to game scripts"},
        {"require('debug').getinfo(1)", "debug.getinfo is not available to game scripts"},
        {"debug.sethook()", "debug.sethook is not available to game scripts"},
        {"dofile('/etc/passwd')", "dofile of /etc/passwd is not available to game scripts"},
        {"assert(loadstring(string.dump(function() end)))", "precompiled bytecode is not accepted"},
        {"require('binary')", "precompiled bytecode is not accepted"},
        {"require('nothere')", "module 'nothere' not found"},
        {"local lines = {} for l in io.lines('" + data + "notes.txt') do lines[#lines + 1] = l end\n"
         "local f = io.open('" + data + "notes.txt', 'rb') assert(f:read('*l') == 'first') f:close()\n"
         "assert(table.concat(lines, ',') == 'first,second' and require('helper').answer == 42)\n"
         "assert(loadfile('" + data + "scripts/helper.lua')().answer == 42 and loadstring('return 1')() == 1)\n"
         "assert(os.time() and os.clock() and os.date('%Y') and debug.traceback('x'))",
         ""},
        {"local t = {} for i = 1, 100 do t[i] = string.rep('x', 2 ^ 22) .. i end", "not enough memory"},
        {"Vantrel.ShootEnemyPlasma('orb', 0, 0, 0, 1, 1)",
         "Vantrel.ShootEnemyPlasma: argument 1 (type) must be a number, got string"},
        {"Vantrel.SpawnEnemy(nil, 0, 0, 0, 0, 0)", "Vantrel.SpawnEnemy: argument 1 (type) must be a string, got nil"},
        {"Vantrel.ShootPlayerPlasma(0, 1)", "Vantrel.ShootPlayerPlasma expects 6 arguments"},
        {"Vantrel.PlaySound(nil, 1)", "Vantrel.PlaySound: argument 1 (name) must be a string, got nil"},
        {"Vantrel.PlaySound('a.wav', 1, {})", "Vantrel.PlaySound: argument 3 (x) must be a number, got table"},
        {"Vantrel.PlayMusic()", "Vantrel.PlayMusic expects 1 argument (name), got 0"},
        {"Vantrel.AddScore(1/0)", "Vantrel.AddScore: argument 1 (points) must be a finite number"},
        {"Vantrel.EndGame({})", "Vantrel.EndGame: argument 1 (message) must be a string, got table"},
        {"Vantrel.PlaySound('a.wav', '0.5') Vantrel.PlaySound('a.wav', 1, nil, 'extra') Vantrel.StopMusic()", ""},
        {"Vantrel.Explode('1', '2', '3', '0') Vantrel.SpawnEnemy(42, 0, 0, 0, 0, 0)", ""},  // as Lua converts
    };
    for (const auto& [code, message] : cases)
        EXPECT_TRUE(Reports(sandbox.Fails(code), message)) << code << "\n" << sandbox.errors;
    EXPECT_LT(sandbox.scripts->GetMemoryUsed(), size_t(64) << 20);  // the failed script's garbage is gone
}

TEST(ScriptSandbox, WatchdogStopsEndlessLoopsInEveryCallAndTheStackStaysBalanced)
{
    // The main chunk defines every entry point, then never ends.
    const std::string loop = " local n = 0 while true do n = n + 1 end end\n";
    Sandbox sandbox("function WeaponLoadScript()" + loop + "function EnemyLoadScript()" + loop +
                    "function WeaponDoUpdate()" + loop + "function EnemyDoUpdate()" + loop +
                    "function EnemyOnHit()" + loop + "function EnemyOnDeath()" + loop +
                    "function Update() while true do pcall(function()" + loop + ") end end\n"
                    "while true do end\n");
    ScriptManager& scripts = *sandbox.scripts;
    lua_State* L = scripts.GetState();
    Weapon weapon("Vulcan Cannon", 1, 1);
    weapon.SetState1(7);
    float s1 = 1, s2 = 2, s3 = 3;
    sandbox.Capture([&] {
        EXPECT_EQ(scripts.WeaponLoadScript("w.lua"), 0);
        EXPECT_EQ(scripts.EnemyLoadScript("e.lua"), 0);
        scripts.WeaponDoUpdate(&weapon, 16);
        EXPECT_EQ(scripts.EnemyDoUpdate(1, Vec2(5, 6), 16, s1, s2, s3, 10).x, 5.0f);
        EXPECT_EQ(scripts.EnemyOnHit(1, Vec2(5, 6), 30, 4, s1, s2, s3, 10), 30.0f);
        EXPECT_FALSE(scripts.EnemyOnDeath(1, Vec2(5, 6), s1, s2, s3, 10));
        scripts.Update(16);  // catching the error with pcall does not keep it going
    });
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_EQ(weapon.GetState1() + s1 + s2 + s3, 13.0f);
    for (const char* call : {"main script", "WeaponLoadScript", "EnemyLoadScript", "WeaponDoUpdate", "EnemyDoUpdate",
                             "EnemyOnHit", "EnemyOnDeath", "Update"})
        EXPECT_NE(sandbox.errors.find(std::string(call)), std::string::npos) << call << "\n" << sandbox.errors;
    EXPECT_EQ(scripts.GetErrorCount(), 8);
    EXPECT_NE(sandbox.errors.find("Update: script ran too long (endless loop?) at "), std::string::npos);

    // A per-frame call that ran out of time is not made again for that
    // script this run; another script's call still runs, and a restart
    // calls them all again.
    sandbox.Capture([&] {
        scripts.WeaponDoUpdate(&weapon, 16);
        scripts.EnemyDoUpdate(1, Vec2(5, 6), 16, s1, s2, s3, 10);
        scripts.EnemyOnHit(1, Vec2(5, 6), 30, 4, s1, s2, s3, 10);
        scripts.EnemyOnDeath(1, Vec2(5, 6), s1, s2, s3, 10);
        scripts.Update(16);
    });
    EXPECT_EQ(scripts.GetErrorCount(), 8);
    EXPECT_NE(sandbox.errors.find("; not called again this run"), std::string::npos);
    sandbox.Capture([&] { scripts.EnemyDoUpdate(2, Vec2(5, 6), 16, s1, s2, s3, 10); });
    EXPECT_EQ(scripts.GetErrorCount(), 9);
    sandbox.Capture([&] {
        scripts.Reopen();
        scripts.EnemyDoUpdate(1, Vec2(5, 6), 16, s1, s2, s3, 10);
    });
    EXPECT_EQ(scripts.GetErrorCount(), 2) << "the main chunk and the call, afresh";

    // Closing the window stops a long call at once, and nothing runs after it.
    scripts.SetInterruptCheck([] { return true; });
    sandbox.Capture([&] { scripts.EnemyDoUpdate(3, Vec2(5, 6), 16, s1, s2, s3, 10); scripts.Update(16); });
    EXPECT_TRUE(scripts.IsInterrupted());
    EXPECT_EQ(scripts.GetErrorCount(), 3);
}

}  // namespace
