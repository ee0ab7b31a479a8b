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
    struct Volley {
        int shots = 0;
        double widest = 0;  // largest sideways angle of a shot, radians
    };
    std::vector<Volley> primary, secondary;
    for (int level = 1; level <= 10; ++level) {
        Lua lua;
        lua_State* L = lua.L;
        // A stand-in for the game's table that records each player shot.
        ASSERT_EQ(luaL_dostring(L, R"(
            shots = {}
            Vantrel = {
                ShootPlayerPlasma = function(t, x, y, vx, vy, s) shots[#shots + 1] = { t = t, vx = vx, vy = vy } end,
                ShootEnemyPlasma = function() end, Explode = function() end, SpawnEnemy = function() end,
            }
        )"), 0);
        ASSERT_EQ(luaL_dofile(L, "data/scripts/main.lua"), 0) << lua_tostring(L, -1);
        for (const char* path : {"data/scripts/weapons/vulcan-primary.lua", "data/scripts/weapons/vulcan-secondary.lua"}) {
            SCOPED_TRACE(path);
            lua_getglobal(L, "WeaponLoadScript");
            lua_pushstring(L, path);
            ASSERT_EQ(lua_pcall(L, 1, 1, 0), 0) << lua_tostring(L, -1);
            const lua_Integer handle = lua_tointeger(L, -1);
            lua_pop(L, 1);
            ASSERT_EQ(luaL_dostring(L, "shots = {}"), 0);
            // Two seconds of 60 Hz frames, states carried from call to call.
            double s1 = 0, s2 = 0, s3 = 0;
            for (int frame = 0; frame < 120; ++frame) {
                lua_getglobal(L, "Update");
                for (double value : {0.0, 200 + frame * 10.0 / 3.0, 1000.0 / 60.0})
                    lua_pushnumber(L, value);
                ASSERT_EQ(lua_pcall(L, 3, 0, 0), 0) << lua_tostring(L, -1);
                lua_getglobal(L, "WeaponDoUpdate");
                for (double value : {double(handle), double(level), 1000.0 / 60.0, s1, s2, s3})
                    lua_pushnumber(L, value);
                ASSERT_EQ(lua_pcall(L, 6, 3, 0), 0) << lua_tostring(L, -1);
                s1 = lua_tonumber(L, -3);
                s2 = lua_tonumber(L, -2);
                s3 = lua_tonumber(L, -1);
                lua_pop(L, 3);
            }
            Volley volley;
            lua_getglobal(L, "shots");
            volley.shots = static_cast<int>(lua_objlen(L, -1));
            for (int i = 1; i <= volley.shots; ++i) {
                lua_rawgeti(L, -1, i);
                volley.widest = std::max(volley.widest, std::atan2(std::fabs(Field(L, -1, "vx")), Field(L, -1, "vy")));
                lua_pop(L, 1);
            }
            lua_pop(L, 1);
            (std::string(path).find("primary") != std::string::npos ? primary : secondary).push_back(volley);
        }
    }
    for (const auto* weapon : {&primary, &secondary}) {
        ASSERT_EQ(weapon->size(), 10u);
        EXPECT_GT(weapon->front().shots, 0) << "level 1 fires";
        for (size_t i = 1; i < weapon->size(); ++i)
            EXPECT_TRUE((*weapon)[i].shots >= (*weapon)[i - 1].shots && (*weapon)[i].widest >= (*weapon)[i - 1].widest)
                << "level " << i + 1;
        EXPECT_GE(weapon->back().shots, 2 * weapon->front().shots) << "level 10 fires at least twice as much";
        EXPECT_GT(weapon->back().widest, weapon->front().widest + 0.05) << "and spreads wider";
    }
}
