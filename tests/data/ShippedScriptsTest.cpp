// The shipped scripts, run without a window: the whole of Level 1 through the
// stand-in in tools/simulate_level.lua (the game's frame order, activity
// window, culling, hits and contact, with an autopilot flying the ship), and
// the two weapon scripts alone at every level the number keys can select.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <lua.hpp>

namespace {

// Scripts name their files relative to the repository root, as the game does
// relative to its working directory.
class InSourceDirectory {
public:
    InSourceDirectory() : previous(std::filesystem::current_path()) { std::filesystem::current_path(VANTREL_SOURCE_DIR); }
    ~InSourceDirectory() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

struct Lua {
    lua_State* L = luaL_newstate();
    Lua() { luaL_openlibs(L); }
    ~Lua() { lua_close(L); }
};

double Field(lua_State* L, int table, const char* name)
{
    lua_getfield(L, table, name);
    double value = lua_isnumber(L, -1) ? lua_tonumber(L, -1) : std::nan("");
    lua_pop(L, 1);
    return value;
}

}  // namespace

TEST(ShippedScripts, Level1PlaysThroughToTheBossesDeath)
{
    InSourceDirectory here;
    Lua lua;
    lua_State* L = lua.L;
    ASSERT_EQ(luaL_dostring(L, "SimulationOptions = { level = 1, seconds = 240, quiet = true }"), 0);

    ASSERT_EQ(luaL_loadfile(L, "tools/simulate_level.lua"), 0) << lua_tostring(L, -1);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
    ASSERT_TRUE(lua_istable(L, -1));
    const int stats = lua_gettop(L);

    // Any script error, missing file or bad call into the game is a problem.
    lua_getfield(L, stats, "problems");
    const size_t problems = lua_objlen(L, -1);
    for (size_t i = 1; i <= problems; ++i) {
        lua_rawgeti(L, -1, static_cast<int>(i));
        ADD_FAILURE() << lua_tostring(L, -1);
        lua_pop(L, 1);
    }
    lua_pop(L, 1);

    // The boss arrives near the end of the three minutes and can be beaten.
    const double seen = Field(L, stats, "bossSeenAt");
    EXPECT_TRUE(seen > 150000.0 && seen < 180000.0) << seen;
    EXPECT_GT(Field(L, stats, "bossKilledAt"), seen);
}

TEST(ShippedScripts, WeaponsFireFasterAndWiderWithTheirLevel)
{
    InSourceDirectory here;
    // Each weapon alone for two seconds of 60 Hz frames at every level, with
    // a stand-in for the game's table that records the player's shots: how
    // many, and the widest sideways angle.
    const char* volley = R"(
        local path, level = ...
        local shots, widest = 0, 0
        Vantrel = {
            ShootPlayerPlasma = function(t, x, y, vx, vy, s)
                shots = shots + 1 widest = math.max(widest, math.atan2(math.abs(vx), vy)) end,
            ShootEnemyPlasma = function() end, Explode = function() end, SpawnEnemy = function() end,
            GetView = function() return 0, 200, 552, 414 end, GetPlayer = function() return 0, 200, 100, 30, 100, 30 end,
            EndGame = function() end,
        }
        dofile('data/scripts/main.lua')
        local handle, s1, s2, s3 = WeaponLoadScript(path), 0, 0, 0
        for frame = 0, 119 do
            Update(0, 200 + frame * 10 / 3, 1000 / 60)
            s1, s2, s3 = WeaponDoUpdate(handle, level, 1000 / 60, s1, s2, s3)
        end
        return shots, widest)";
    for (const char* path : {"data/scripts/weapons/vulcan-primary.lua", "data/scripts/weapons/vulcan-secondary.lua"}) {
        std::vector<std::pair<double, double>> levels;  // shots, widest
        for (int level = 1; level <= 10; ++level) {
            Lua lua;
            ASSERT_EQ(luaL_loadstring(lua.L, volley), 0);
            lua_pushstring(lua.L, path);
            lua_pushinteger(lua.L, level);
            ASSERT_EQ(lua_pcall(lua.L, 2, 2, 0), 0) << lua_tostring(lua.L, -1);
            levels.emplace_back(lua_tonumber(lua.L, -2), lua_tonumber(lua.L, -1));
            const auto& previous = levels[levels.size() > 1 ? levels.size() - 2 : 0];
            EXPECT_TRUE(levels.back().first > 0 && levels.back().first >= previous.first &&
                        levels.back().second >= previous.second)
                << path << " level " << level;
        }
        EXPECT_GE(levels.back().first, 2 * levels.front().first) << path << ": level 10 fires at least twice as much";
        EXPECT_GT(levels.back().second, levels.front().second + 0.05) << path << ": and spreads wider";
    }
}
