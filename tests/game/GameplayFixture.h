// Shared set-up for gameplay and scripting tests: a fresh interpreter per
// test, running the test's own main script from a scratch directory and
// installed as the script host; a keyboard the test holds keys on; assets
// that touch neither files nor GL; an empty blackboard.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include <lua.hpp>

#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "game/Assets.h"
#include "script/ScriptManager.h"
#include "tests/support/TestFiles.h"

class GameplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GlobalInfo::Instance().Reset();
        Assets::SetSource(Assets::NullSource());
        Keyboard::SetSource([this](int key) { return held.count(key) > 0; });
    }

    void TearDown() override
    {
        ScriptManager::SetInstanceForTesting(nullptr);
        scripts.reset();
        GlobalInfo::Instance().Reset();
        Keyboard::SetSource({});
        Assets::SetSource({});
    }

    // A prelude every test script gets: `Log` appends to the global `log`.
    static std::string Prelude()
    {
        return "log = {}\n"
               "function Log(...)\n"
               "  local parts = {}\n"
               "  for i = 1, select('#', ...) do parts[#parts + 1] = tostring((select(i, ...))) end\n"
               "  log[#log + 1] = table.concat(parts, ' ')\n"
               "end\n"
               "function WeaponLoadScript(path) return 0 end\n"
               "function EnemyLoadScript(path) return 0 end\n"
               "function WeaponDoUpdate(h, l, dt, a, b, c) return a, b, c end\n"
               "function EnemyDoUpdate(h, x, y, dt, a, b, c, t) return x, y, a, b, c end\n"
               "function EnemyOnHit(h, x, y, health, damage, a, b, c, t) return health - damage, a, b, c end\n"
               "function EnemyOnDeath(h, x, y, a, b, c, t) return false end\n"
               "function Update(x, y, dt) end\n";
    }

    // Starts an interpreter on the prelude followed by `main` and installs it.
    ScriptManager& Start(const std::string& main)
    {
        ScriptManager::SetInstanceForTesting(nullptr);
        scripts.reset();
        const std::string path = dir.Write("main.lua", Prelude() + main);
        scripts = std::make_unique<ScriptManager>(path);
        ScriptManager::SetInstanceForTesting(scripts.get());
        return *scripts;
    }

    lua_State* L() const { return scripts->GetState(); }
    int Top() const { return lua_gettop(L()); }

    // Runs Lua code in the test's interpreter; fails the test on an error.
    void Run(const std::string& code)
    {
        const int top = Top();
        if (luaL_loadstring(L(), code.c_str()) != 0 || lua_pcall(L(), 0, 0, 0) != 0) {
            ADD_FAILURE() << "Lua: " << lua_tostring(L(), -1);
        }
        lua_settop(L(), top);
    }

    // The value of a Lua expression, converted with tostring.
    std::string Eval(const std::string& expression)
    {
        const int top = Top();
        std::string result = "<error>";
        if (luaL_loadstring(L(), ("return tostring(" + expression + ")").c_str()) == 0 &&
            lua_pcall(L(), 0, 1, 0) == 0 && lua_isstring(L(), -1))
            result = lua_tostring(L(), -1);
        else
            ADD_FAILURE() << "Lua: " << lua_tostring(L(), -1);
        lua_settop(L(), top);
        return result;
    }

    double Number(const std::string& expression)
    {
        const int top = Top();
        double result = 0;
        if (luaL_loadstring(L(), ("return " + expression).c_str()) == 0 && lua_pcall(L(), 0, 1, 0) == 0)
            result = lua_tonumber(L(), -1);
        else
            ADD_FAILURE() << "Lua: " << lua_tostring(L(), -1);
        lua_settop(L(), top);
        return result;
    }

    // Every line the scripts logged, joined with " | ", and the log cleared.
    std::string TakeLog()
    {
        const std::string text = Eval("table.concat(log, ' | ')");
        Run("log = {}");
        return text;
    }

    TempDir dir;
    std::unique_ptr<ScriptManager> scripts;
    std::set<int> held;
};
