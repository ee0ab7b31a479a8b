// Shared set-up for gameplay and scripting tests: a fresh interpreter per test
// running the test's own main script, a keyboard and a gamepad the test holds,
// assets that touch neither files nor GL, an empty blackboard.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>

#include <lua.hpp>

#include "core/Gamepad.h"
#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/Problems.h"
#include "game/Actors.h"
#include "game/Assets.h"
#include "game/Bullets.h"
#include "script/ScriptManager.h"
#include "tests/support/StubMainScript.h"
#include "tests/support/TestFiles.h"

// Values joined with single spaces (vectors by their components; -0 reads as 0).
inline void Put(std::ostream& out, float v) { out << v + 0.0f; }
inline void Put(std::ostream& out, const Vec2& v) { out << v.x + 0.0f << ' ' << v.y + 0.0f; }
template <typename T>
void Put(std::ostream& out, const T& value) { out << value; }
template <typename... T>
std::string Join(const T&... values)
{
    std::ostringstream out;
    ((Put(out, values), out << ' '), ...);
    std::string text = out.str();
    return text.substr(0, text.size() - 1);
}

// Loaders fed from text, their progress lines swallowed.
inline void LoadBulletTypes(Bullets& bullets, const std::string& text)
{
    std::istringstream in(text);
    CaptureStdout([&] { bullets.LoadBulletTypes(in, "types"); });
}
inline void LoadEnemyTypes(Actors& actors, const std::string& text)
{
    std::istringstream in(text);
    CaptureStdout([&] { actors.LoadEnemyTypes(in, "types"); });
}

class GameplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GlobalInfo::Instance().Reset();
        Assets::SetSource(Assets::NullSource());
        Keyboard::SetSource([this](int key) { return held.count(key) > 0; });
        Gamepad::SetSource([this] { return pad; });
    }
    void TearDown() override
    {
        ScriptManager::SetInstanceForTesting(nullptr);
        scripts.reset();
        GlobalInfo::Instance().Reset();
        Keyboard::SetSource({});
        Gamepad::SetSource({});
        Assets::SetSource({});
    }

    // A new interpreter (and a new count of problems) on the stub, a `Log`
    // that appends to the global `log`, then `main`.
    ScriptManager& Start(const std::string& main)
    {
        ScriptManager::SetInstanceForTesting(nullptr);
        scripts.reset();
        Problems::Reset();
        const std::string log =
            "log = {}\n"
            "function Log(...) local p = {} for i = 1, select('#', ...) do p[i] = tostring((select(i, ...))) end\n"
            "  log[#log + 1] = table.concat(p, ' ') end\n";
        scripts = std::make_unique<ScriptManager>(WriteStubMainScript(dir.Path() + "main.lua", log + main));
        ScriptManager::SetInstanceForTesting(scripts.get());
        return *scripts;
    }

    lua_State* L() const { return scripts->GetState(); }

    // Runs a Lua chunk and returns its first result through tostring; fails the test on an error.
    std::string Lua(const std::string& code)
    {
        const int top = lua_gettop(L());
        std::string result = "<error>";
        lua_getglobal(L(), "tostring");
        if (luaL_loadstring(L(), code.c_str()) == 0 && lua_pcall(L(), 0, 1, 0) == 0 && lua_pcall(L(), 1, 1, 0) == 0)
            result = lua_tostring(L(), -1);
        else
            ADD_FAILURE() << "Lua: " << lua_tostring(L(), -1);
        lua_settop(L(), top);
        return result;
    }
    void Run(const std::string& code) { Lua(code); }
    std::string Eval(const std::string& expression) { return Lua("return " + expression); }

    // Every line the scripts logged, joined with " | ", and the log cleared.
    std::string TakeLog() { return Lua("local text = table.concat(log, ' | ') log = {} return text"); }

    TempDir dir;
    std::unique_ptr<ScriptManager> scripts;
    std::set<int> held;
    GamepadState pad;  // disconnected unless a test plugs it in
};
