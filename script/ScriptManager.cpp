#include "script/ScriptManager.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include <lua.hpp>

#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "core/RunState.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Player.h"
#include "game/Weapon.h"

namespace {

ScriptManager* testInstance = nullptr;

// Distinct error messages reported before the rest are only counted.
const size_t kMaxReportedErrors = 100;

// Reads a script result as a handle: the number rounded to the nearest
// integer (halves to even); anything that is not a number, or does not fit,
// reads as 0.
int ToHandle(lua_State* L, int index)
{
    const double value = std::nearbyint(lua_tonumber(L, index));
    if (!(value >= INT_MIN && value <= INT_MAX))
        return 0;
    return static_cast<int>(value);
}

float ToFloat(lua_State* L, int index)
{
    return static_cast<float>(lua_tonumber(L, index));
}

// Runs the entry point named by argument 1 with the remaining arguments and
// returns all its results. The lookup happens in here, inside the protected
// call, so even a globals table with a failing __index cannot escape it.
int CallGlobal(lua_State* L)
{
    lua_getfield(L, LUA_GLOBALSINDEX, lua_tostring(L, 1));
    lua_replace(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

// A script function that finds fewer arguments than it reads raises an error
// instead of reading slots that belong to its caller. Extra leading arguments
// are ignored: the last `count` values are the arguments.
void CheckArguments(lua_State* L, const char* name, int count, const char* expected)
{
    const int given = lua_gettop(L);
    if (given < count)
        luaL_error(L, "Vantrel.%s expects %d arguments (%s), got %d", name, count, expected, given);
}

// Bullet type numbers are truncated toward zero; values that do not fit an
// int become -1, which names no type.
int ToBulletType(double value)
{
    const double truncated = std::trunc(value);
    if (!(truncated >= 0 && truncated <= INT_MAX))
        return -1;
    return static_cast<int>(truncated);
}

int Shoot(lua_State* L, const char* name, bool player)
{
    CheckArguments(L, name, 6, "type, x, y, velocityX, velocityY, strength");
    const int type = ToBulletType(lua_tonumber(L, -6));
    const float x = ToFloat(L, -5);
    const float y = ToFloat(L, -4);
    const float vx = ToFloat(L, -3);
    const float vy = ToFloat(L, -2);
    const float strength = ToFloat(L, -1);
    lua_settop(L, -7);
    if (Bullets* bullets = GlobalInfo::Instance().GetBullets()) {
        if (player)
            bullets->AddPlayerBullet(type, Vec2(x, y), Vec2(vx, vy), strength);
        else
            bullets->AddEnemyBullet(type, Vec2(x, y), Vec2(vx, vy), strength);
    }
    return 0;
}

int ShootEnemyPlasma(lua_State* L)
{
    return Shoot(L, "ShootEnemyPlasma", false);
}

int ShootPlayerPlasma(lua_State* L)
{
    return Shoot(L, "ShootPlayerPlasma", true);
}

int Explode(lua_State* L)
{
    CheckArguments(L, "Explode", 4, "x, y, size, delay");
    const float x = ToFloat(L, -4);
    const float y = ToFloat(L, -3);
    const float size = ToFloat(L, -2);
    const float delay = ToFloat(L, -1);
    if (GraphicalEffects* effects = GlobalInfo::Instance().GetEffects())
        effects->AddExplosion(size, Vec2(x, y), delay);
    lua_settop(L, -5);
    return 0;
}

// Kept apart from the Lua function so that no C++ object is alive in a frame
// where a Lua error could unwind.
void SpawnEnemyInGame(const char* name, size_t length, const Vec2& position, float state1, float state2,
                      float delay)
{
    if (Actors* actors = GlobalInfo::Instance().GetActors())
        actors->SpawnEnemy(std::string(name, length), position, state1, state2, delay);
}

int SpawnEnemy(lua_State* L)
{
    CheckArguments(L, "SpawnEnemy", 6, "type, x, y, state1, state2, delay");
    size_t length = 0;
    const char* name = lua_tolstring(L, -6, &length);  // a number becomes its text
    const float x = ToFloat(L, -5);
    const float y = ToFloat(L, -4);
    const float state1 = ToFloat(L, -3);
    const float state2 = ToFloat(L, -2);
    const float delay = ToFloat(L, -1);
    if (name)
        SpawnEnemyInGame(name, length, Vec2(x, y), state1, state2, delay);
    lua_settop(L, -7);
    return 0;
}

// Half the width of the play plane the camera shows, for when no camera has
// published it: x at the view's centre plus this is the screen's left edge
// (x grows to the left).
const float kViewHalfWidth = 550.0f;

// Vantrel.PlaySound(name, volume [, x]): x pans by the gameplay position.
int PlaySound(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    const float volume = static_cast<float>(luaL_checknumber(L, 2));
    float pan = NAN;
    if (!lua_isnoneornil(L, 3)) {
        const float x = static_cast<float>(luaL_checknumber(L, 3));
        const float half = GlobalInfo::Instance().GetViewHalfSize().x;
        pan = -(x - GlobalInfo::Instance().GetViewPosition().x) / (half > 0 ? half : kViewHalfWidth);
    }
    if (SoundManager* sounds = GlobalInfo::Instance().GetSounds())
        sounds->PlaySound(name, volume, pan);
    return 0;
}

int PlayMusic(lua_State* L)
{
    const char* name = luaL_checkstring(L, 1);
    if (SoundManager* sounds = GlobalInfo::Instance().GetSounds())
        sounds->PlayMusic(name);
    return 0;
}

int StopMusic(lua_State*)
{
    if (SoundManager* sounds = GlobalInfo::Instance().GetSounds())
        sounds->StopMusic();
    return 0;
}

// The functions about the run take their arguments from position 1 on;
// extra arguments are ignored.

// x, y, health, shield, maxHealth, maxShield; nothing when there is no player.
int GetPlayer(lua_State* L)
{
    const Player* player = GlobalInfo::Instance().GetPlayer();
    if (!player)
        return 0;
    const Vec2 position = player->GetPosition();
    const float values[] = {position.x,          position.y,           player->GetHealth(),
                            player->GetShield(), player->GetMaxHealth(), player->GetMaxShield()};
    for (float value : values)
        lua_pushnumber(L, value);
    return 6;
}

// The view's centre x, y and the half-width and half-height it shows.
int GetView(lua_State* L)
{
    const GlobalInfo& info = GlobalInfo::Instance();
    const Vec2 view = info.GetViewPosition();
    const Vec2 half = info.GetViewHalfSize();
    for (float value : {view.x, view.y, half.x, half.y})
        lua_pushnumber(L, value);
    return 4;
}

int AddScore(lua_State* L)
{
    if (!lua_isnumber(L, 1))
        return luaL_error(L, "Vantrel.AddScore expects a number (points), got %s", luaL_typename(L, 1));
    const double points = lua_tonumber(L, 1);
    if (!std::isfinite(points))
        return luaL_error(L, "Vantrel.AddScore expects a finite number of points, got %f", points);
    if (RunState* run = GlobalInfo::Instance().GetRun())
        run->AddScore(points);
    return 0;
}

int GetScore(lua_State* L)
{
    const RunState* run = GlobalInfo::Instance().GetRun();
    lua_pushnumber(L, run ? run->GetScore() : 0.0);
    return 1;
}

// Kept apart from the Lua function so that no C++ object is alive in a frame
// where a Lua error could unwind. True when this call ended the run.
bool EndGameInGame(const char* message, size_t length)
{
    RunState* run = GlobalInfo::Instance().GetRun();
    if (!run || !run->EndGame(std::string(message, length)))
        return false;
    if (Player* player = GlobalInfo::Instance().GetPlayer())
        player->EndFlight();
    return true;
}

// Returns true when this call ended the run, false when it had already ended.
int EndGame(lua_State* L)
{
    if (!lua_isstring(L, 1))
        return luaL_error(L, "Vantrel.EndGame expects a string (message), got %s", luaL_typename(L, 1));
    size_t length = 0;
    const char* message = lua_tolstring(L, 1, &length);
    lua_pushboolean(L, EndGameInGame(message, length));
    return 1;
}

const luaL_Reg kGameFunctions[] = {
    {"ShootEnemyPlasma", ShootEnemyPlasma},
    {"ShootPlayerPlasma", ShootPlayerPlasma},
    {"Explode", Explode},
    {"SpawnEnemy", SpawnEnemy},
    {"PlaySound", PlaySound},
    {"PlayMusic", PlayMusic},
    {"StopMusic", StopMusic},
    {"GetPlayer", GetPlayer},
    {"GetView", GetView},
    {"AddScore", AddScore},
    {"GetScore", GetScore},
    {"EndGame", EndGame},
    {nullptr, nullptr},
};

const luaL_Reg kNoFunctions[] = {{nullptr, nullptr}};

}  // namespace

ScriptManager& ScriptManager::Instance()
{
    if (testInstance)
        return *testInstance;
    static ScriptManager instance;
    return instance;
}

void ScriptManager::SetInstanceForTesting(ScriptManager* manager)
{
    testInstance = manager;
}

ScriptManager::ScriptManager(const std::string& mainScriptPath_) : mainScriptPath(mainScriptPath_)
{
    Open();
}

void ScriptManager::Reopen()
{
    if (luaState)
        lua_close(luaState);
    luaState = nullptr;
    callerRef = 0;
    errorCount = 0;
    reported.clear();
    Open();
}

void ScriptManager::Open()
{
    luaState = luaL_newstate();
    if (!luaState) {
        fprintf(stderr, "Could not create the script interpreter.\n");
        return;
    }
    lua_State* L = luaState;
    luaL_openlibs(L);
    luaL_register(L, "Vantrel", kGameFunctions);  // the table stays on the stack

    // The registry metatable: no game object carries it, scripts may look it up.
    luaL_newmetatable(L, "Vantrel");
    luaL_register(L, nullptr, kNoFunctions);
    lua_pushlstring(L, "__index", 7);
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_pushlstring(L, "__metatable", 11);
    lua_pushvalue(L, -3);
    lua_rawset(L, -3);
    lua_settop(L, -2);

    lua_pushcfunction(L, CallGlobal);
    callerRef = luaL_ref(L, LUA_REGISTRYINDEX);

    const int top = lua_gettop(L);
    int status = luaL_loadfile(L, mainScriptPath.c_str());
    if (status == 0)
        status = lua_pcall(L, 0, 0, 0);
    if (status != 0) {
        // Without the main script every entry point is missing; say why once.
        const char* message = lua_tostring(L, -1);
        Report(("main script " + mainScriptPath).c_str(), message ? message : "(no message)");
    }
    lua_settop(L, top);
}

ScriptManager::~ScriptManager()
{
    if (luaState)
        lua_close(luaState);
}

void ScriptManager::Report(const char* where, const char* message)
{
    ++errorCount;
    Problems::Report(Problems::Kind::Script, std::string(where) + ": " + message);
    if (reported.size() > kMaxReportedErrors)
        return;
    if (reported.size() == kMaxReportedErrors) {
        reported.insert(std::string());
        fprintf(stderr, "Script errors: %zu distinct messages reported, further ones are not shown\n",
                kMaxReportedErrors);
        return;
    }
    if (reported.insert(std::string(where) + '\n' + message).second)
        fprintf(stderr, "Script error in %s: %s\n", where, message);
}

bool ScriptManager::Begin(int argumentCount)
{
    if (!luaState)
        return false;
    if (!lua_checkstack(luaState, argumentCount + 2)) {
        Report("script host", "stack overflow");
        return false;
    }
    lua_rawgeti(luaState, LUA_REGISTRYINDEX, callerRef);
    return true;
}

bool ScriptManager::Call(const char* name, int argumentCount, int resultCount, int top)
{
    lua_State* L = luaState;
    lua_pushstring(L, name);
    lua_insert(L, -(argumentCount + 1));
    if (lua_pcall(L, argumentCount + 1, resultCount, 0) == 0)
        return true;
    const char* message = lua_tostring(L, -1);
    std::string text = message ? message : std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
    lua_settop(L, top);
    Report(name, text.c_str());
    return false;
}

int ScriptManager::LoadScript(const char* name, const std::string& path)
{
    lua_State* L = luaState;
    const int top = L ? lua_gettop(L) : 0;
    if (!Begin(1))
        return 0;
    lua_pushstring(L, path.c_str());
    if (!Call(name, 1, 1, top))
        return 0;
    const int handle = ToHandle(L, -1);
    lua_settop(L, top);
    return handle;
}

int ScriptManager::WeaponLoadScript(const std::string& path)
{
    return LoadScript("WeaponLoadScript", path);
}

int ScriptManager::EnemyLoadScript(const std::string& path)
{
    return LoadScript("EnemyLoadScript", path);
}

void ScriptManager::WeaponDoUpdate(Weapon* weapon, float dt)
{
    lua_State* L = luaState;
    if (!weapon || !L)
        return;
    const int top = lua_gettop(L);
    if (!Begin(6))
        return;
    lua_pushinteger(L, weapon->GetScriptHandle());
    lua_pushinteger(L, weapon->GetLevel());
    lua_pushnumber(L, dt);
    lua_pushnumber(L, weapon->GetState1());
    lua_pushnumber(L, weapon->GetState2());
    lua_pushnumber(L, weapon->GetState3());
    if (!Call("WeaponDoUpdate", 6, 3, top))
        return;
    weapon->SetState1(ToFloat(L, -3));
    weapon->SetState2(ToFloat(L, -2));
    weapon->SetState3(ToFloat(L, -1));
    lua_settop(L, top);
}

Vec2 ScriptManager::EnemyDoUpdate(int handle, const Vec2& position, float dt, float& state1, float& state2,
                                  float& state3, float timer)
{
    lua_State* L = luaState;
    if (!L)
        return position;
    const int top = lua_gettop(L);
    if (!Begin(8))
        return position;
    lua_pushinteger(L, handle);
    lua_pushnumber(L, position.x);
    lua_pushnumber(L, position.y);
    lua_pushnumber(L, dt);
    lua_pushnumber(L, state1);
    lua_pushnumber(L, state2);
    lua_pushnumber(L, state3);
    lua_pushnumber(L, timer);
    if (!Call("EnemyDoUpdate", 8, 5, top))
        return position;
    state1 = ToFloat(L, -3);
    state2 = ToFloat(L, -2);
    state3 = ToFloat(L, -1);
    const float y = ToFloat(L, -4);
    const float x = ToFloat(L, -5);
    lua_settop(L, top);
    return Vec2(x, y);
}

float ScriptManager::EnemyOnHit(int handle, const Vec2& position, float health, float damage, float& state1,
                                float& state2, float& state3, float timer)
{
    lua_State* L = luaState;
    if (!L)
        return health;
    const int top = lua_gettop(L);
    if (!Begin(9))
        return health;
    lua_pushinteger(L, handle);
    lua_pushnumber(L, position.x);
    lua_pushnumber(L, position.y);
    lua_pushnumber(L, health);
    lua_pushnumber(L, damage);
    lua_pushnumber(L, state1);
    lua_pushnumber(L, state2);
    lua_pushnumber(L, state3);
    lua_pushnumber(L, timer);
    if (!Call("EnemyOnHit", 9, 4, top))
        return health;
    const float newHealth = ToFloat(L, -4);
    state1 = ToFloat(L, -3);
    state2 = ToFloat(L, -2);
    state3 = ToFloat(L, -1);
    lua_settop(L, top);
    return newHealth;
}

bool ScriptManager::EnemyOnDeath(int handle, const Vec2& position, float state1, float state2, float state3,
                                 float timer)
{
    lua_State* L = luaState;
    if (!L)
        return false;
    const int top = lua_gettop(L);
    if (!Begin(7))
        return false;
    lua_pushinteger(L, handle);
    lua_pushnumber(L, position.x);
    lua_pushnumber(L, position.y);
    lua_pushnumber(L, state1);
    lua_pushnumber(L, state2);
    lua_pushnumber(L, state3);
    lua_pushnumber(L, timer);
    if (!Call("EnemyOnDeath", 7, 1, top))
        return false;
    const bool wreck = lua_toboolean(L, -1) != 0;
    lua_settop(L, top);
    return wreck;
}

void ScriptManager::Update(float dt)
{
    lua_State* L = luaState;
    if (!L)
        return;
    // Without a player (only in tools and tests) the script still gets its tick.
    Vec2 playerPosition;
    if (Player* player = GlobalInfo::Instance().GetPlayer())
        playerPosition = player->GetPosition();
    const int top = lua_gettop(L);
    if (!Begin(3))
        return;
    lua_pushnumber(L, playerPosition.x);
    lua_pushnumber(L, playerPosition.y);
    lua_pushnumber(L, dt);
    Call("Update", 3, 0, top);
}
