#include "script/ScriptManager.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <lua.hpp>

#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Player.h"
#include "game/Weapon.h"
#include "core/RunState.h"
#include "script/ScriptArguments.h"
#include "script/ScriptSandbox.h"

// What one interpreter may use, and what it has used: the allocator's and
// the watchdog's shared state, reached from both through the allocator's
// user pointer (so coroutines, which have their own lua_State, find it too).
struct ScriptManager::Limits {
    ScriptManager* owner = nullptr;
    size_t memoryUsed = 0;
    long long instructionsLeft = 0;
    long long untilInterruptCheck = 0;
    std::function<bool()> interruptCheck;
    bool interrupted = false;
    int depth = 0;  // calls into Lua in progress; a nested one keeps the outer budget
};

namespace {

ScriptManager* testInstance = nullptr;

// About a quarter of a second of plain script code (measured here: 0.23 s
// for an empty loop, up to 0.5 s for loops calling math functions),
// counted in VM instructions so that where a script is stopped does not
// depend on the machine or its load.
const long long kInstructionBudget = 30'000'000;
// The watchdog looks at the budget every this many instructions.
const int kHookInterval = 1000;
// How often (in instructions) a long call asks whether the game is closing.
const long long kInterruptInterval = 2'000'000;
// The whole interpreter's memory; beyond it allocations fail and the script
// gets a "not enough memory" error.
const size_t kMemoryLimit = size_t(256) << 20;

ScriptManager::Limits* LimitsOf(lua_State* L)
{
    void* limits = nullptr;
    lua_getallocf(L, &limits);
    return static_cast<ScriptManager::Limits*>(limits);
}

void* Allocate(void* user, void* block, size_t oldSize, size_t newSize)
{
    auto* limits = static_cast<ScriptManager::Limits*>(user);
    if (newSize == 0) {
        free(block);
        limits->memoryUsed -= oldSize;
        return nullptr;
    }
    // Shrinking must never fail; growing past the bound does.
    if (newSize > oldSize && limits->memoryUsed - oldSize + newSize > kMemoryLimit)
        return nullptr;
    void* grown = realloc(block, newSize);
    if (!grown)
        return nullptr;
    limits->memoryUsed = limits->memoryUsed - oldSize + newSize;
    return grown;
}

int Panic(lua_State* L)
{
    fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", lua_tostring(L, -1));
    return 0;
}

// Counts instructions for the current call. Once the budget is spent every
// further instruction of the thread raises, so a script that catches the
// error with pcall cannot loop on: the error reaches the game's own call.
void Watchdog(lua_State* L, lua_Debug*)
{
    ScriptManager::Limits* limits = LimitsOf(L);
    // Only the game's own calls are watched; tools and tests that call the
    // interpreter directly run unbounded.
    if (limits->depth == 0)
        return;
    const int interval = lua_gethookcount(L);
    limits->instructionsLeft -= interval;
    if (limits->interruptCheck && !limits->interrupted) {
        limits->untilInterruptCheck -= interval;
        if (limits->untilInterruptCheck <= 0) {
            limits->untilInterruptCheck = kInterruptInterval;
            if (limits->interruptCheck()) {
                limits->interrupted = true;
                limits->instructionsLeft = 0;
            }
        }
    }
    if (limits->instructionsLeft > 0) {
        if (interval != kHookInterval)  // a thread stopped by an earlier call
            lua_sethook(L, Watchdog, LUA_MASKCOUNT, kHookInterval);
        return;
    }
    lua_sethook(L, Watchdog, LUA_MASKCOUNT, 1);
    lua_Debug where;
    if (limits->interrupted)
        lua_pushstring(L, "stopped: the game is closing");
    else if (lua_getstack(L, 0, &where) && lua_getinfo(L, "Sl", &where) && where.currentline > 0)
        lua_pushfstring(L, "script ran too long (endless loop?) at %s:%d", where.short_src, where.currentline);
    else
        lua_pushstring(L, "script ran too long (endless loop?)");
    lua_error(L);
}


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
    const char* name = lua_tostring(L, 1);
    lua_getfield(L, LUA_GLOBALSINDEX, name);
    // Say what is missing rather than "attempt to call a nil value".
    if (lua_isnil(L, -1))
        return luaL_error(L, "the main script defines no function %s", name);
    lua_replace(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
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

const char* const kShotArguments[] = {"type", "x", "y", "velocityX", "velocityY", "strength"};

int Shoot(lua_State* L, const char* name, bool player)
{
    const ScriptArguments args = ScriptArguments::Check(L, name, kShotArguments);
    const int type = ToBulletType(args.Number(1));
    const float x = args.Float(2);
    const float y = args.Float(3);
    const float vx = args.Float(4);
    const float vy = args.Float(5);
    const float strength = args.Float(6);
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
    static const char* const kNames[] = {"x", "y", "size", "delay"};
    const ScriptArguments args = ScriptArguments::Check(L, "Explode", kNames);
    const float x = args.Float(1);
    const float y = args.Float(2);
    const float size = args.Float(3);
    const float delay = args.Float(4);
    if (GraphicalEffects* effects = GlobalInfo::Instance().GetEffects())
        effects->AddExplosion(size, Vec2(x, y), delay);
    lua_settop(L, -5);
    return 0;
}

// Kept apart from the Lua function so that no C++ object is alive in a frame
// where a Lua error could unwind. A name that matches no type spawns
// nothing, as always, but says so once per name.
void SpawnEnemyInGame(ScriptManager* owner, const char* where, const char* name, size_t length,
                      const Vec2& position, float state1, float state2, float delay)
{
    Actors* actors = GlobalInfo::Instance().GetActors();
    const std::string typeName(name, length);
    if (actors && !actors->SpawnEnemy(typeName, position, state1, state2, delay) && owner)
        owner->Report("Vantrel.SpawnEnemy",
                      std::string(where) + "no enemy type is named \"" + typeName + "\"; nothing is spawned");
}

int SpawnEnemy(lua_State* L)
{
    static const char* const kNames[] = {"type", "x", "y", "state1", "state2", "delay"};
    const ScriptArguments args = ScriptArguments::Check(L, "SpawnEnemy", kNames);
    size_t length = 0;
    const char* name = args.String(1, &length);  // a number becomes its text
    const float x = args.Float(2);
    const float y = args.Float(3);
    const float state1 = args.Float(4);
    const float state2 = args.Float(5);
    const float delay = args.Float(6);
    luaL_where(L, 1);
    SpawnEnemyInGame(LimitsOf(L)->owner, lua_tostring(L, -1), name, length, Vec2(x, y), state1, state2, delay);
    lua_settop(L, -8);
    return 0;
}

// Half the width of the play plane the camera shows, for when no camera has
// published it: x at the view's centre plus this is the screen's left edge
// (x grows to the left).
const float kViewHalfWidth = 550.0f;

// Vantrel.PlaySound(name, volume [, x]): x pans by the gameplay position.
int PlaySound(lua_State* L)
{
    static const char* const kNames[] = {"name", "volume", "x"};
    const ScriptArguments args = ScriptArguments::CheckLeading(L, "PlaySound", kNames, 2);
    const char* name = args.String(1, nullptr);
    const float volume = args.Float(2);
    float pan = NAN;
    if (args.Has(3)) {
        const float half = GlobalInfo::Instance().GetViewHalfSize().x;
        pan = -(args.Float(3) - GlobalInfo::Instance().GetViewPosition().x) / (half > 0 ? half : kViewHalfWidth);
    }
    if (SoundManager* sounds = GlobalInfo::Instance().GetSounds())
        sounds->PlaySound(name, volume, pan);
    return 0;
}

int PlayMusic(lua_State* L)
{
    static const char* const kNames[] = {"name"};
    const ScriptArguments args = ScriptArguments::CheckLeading(L, "PlayMusic", kNames, 1);
    const char* name = args.String(1, nullptr);
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

// The functions about the run, like the sound functions, read their
// arguments from the first on.

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
    static const char* const kNames[] = {"points"};
    const ScriptArguments args = ScriptArguments::CheckLeading(L, "AddScore", kNames, 1);
    const double points = args.Number(1);
    if (!std::isfinite(points))
        return luaL_error(L, "Vantrel.AddScore: argument 1 (points) must be a finite number, got %f", points);
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
    static const char* const kNames[] = {"message"};
    const ScriptArguments args = ScriptArguments::CheckLeading(L, "EndGame", kNames, 1);
    size_t length = 0;
    const char* message = args.String(1, &length);
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

ScriptManager::ScriptManager(const std::string& mainScriptPath_, const std::string& dataDirectory_)
    : mainScriptPath(mainScriptPath_), dataDirectory(dataDirectory_), limits(std::make_unique<Limits>())
{
    limits->owner = this;
    Open();
}

void ScriptManager::Reopen()
{
    if (luaState)
        lua_close(luaState);
    luaState = nullptr;
    callerRef = 0;
    errorCount = 0;
    stalledCalls.clear();
    limits->memoryUsed = 0;
    limits->depth = 0;
    Open();
}

void ScriptManager::Open()
{
    // Our own allocator instead of luaL_newstate's, to bound the memory.
    luaState = lua_newstate(Allocate, limits.get());
    if (!luaState) {
        fprintf(stderr, "Could not create the script interpreter.\n");
        return;
    }
    lua_State* L = luaState;
    lua_atpanic(L, Panic);
    // Installed before any script runs, so every coroutine inherits it.
    lua_sethook(L, Watchdog, LUA_MASKCOUNT, kHookInterval);
    ScriptSandbox::Open(L, dataDirectory);
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
    int status = ScriptSandbox::LoadSourceFile(L, mainScriptPath.c_str());
    if (status == 0)
        status = ProtectedCall(0, 0);
    if (status != 0) {
        // Without the main script every entry point is missing; say why once.
        const char* message = lua_tostring(L, -1);
        Report("main script " + mainScriptPath, message ? message : "(no message)");
    }
    lua_settop(L, top);
}

ScriptManager::~ScriptManager()
{
    if (luaState)
        lua_close(luaState);
}

void ScriptManager::SetInterruptCheck(std::function<bool()> check)
{
    limits->interruptCheck = std::move(check);
}

bool ScriptManager::IsInterrupted() const
{
    return limits->interrupted;
}

size_t ScriptManager::GetMemoryUsed() const
{
    return limits->memoryUsed;
}

int ScriptManager::ProtectedCall(int argumentCount, int resultCount)
{
    lua_State* L = luaState;
    // A fresh budget; a thread left stopping at every instruction by an
    // earlier call goes back to the normal interval at its next instruction.
    if (limits->depth == 0) {
        limits->instructionsLeft = kInstructionBudget;
        limits->untilInterruptCheck = kInterruptInterval;
    }
    ++limits->depth;
    const int status = lua_pcall(L, argumentCount, resultCount, 0);
    --limits->depth;
    // A script that ran out of memory leaves its garbage; free it now.
    if (status == LUA_ERRMEM)
        lua_gc(L, LUA_GCCOLLECT, 0);
    return status;
}

void ScriptManager::Report(const std::string& where, const std::string& message)
{
    ++errorCount;
    // Problems prints each distinct message once and counts the repeats.
    Problems::Script("Script error in " + where + ": " + message);
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

bool ScriptManager::Call(const char* name, int argumentCount, int resultCount, int top, std::optional<int> handle)
{
    lua_State* L = luaState;
    // Once the game is closing, no script runs again. The set is nearly
    // always empty: asked first, a frame's thousands of calls build no key.
    if (limits->interrupted || (handle && !stalledCalls.empty() && stalledCalls.count({name, *handle}))) {
        lua_settop(L, top);
        return false;
    }
    lua_pushstring(L, name);
    lua_insert(L, -(argumentCount + 1));
    if (ProtectedCall(argumentCount + 1, resultCount) == 0)
        return true;
    const char* message = lua_tostring(L, -1);
    std::string text = message ? message : std::string("(error object is a ") + luaL_typename(L, -1) + " value)";
    lua_settop(L, top);
    if (handle && limits->depth == 0 && limits->instructionsLeft <= 0 && !limits->interrupted) {
        stalledCalls.insert({name, *handle});
        text += "; not called again this run";
    }
    Report(name, text);
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
    if (!Call("WeaponDoUpdate", 6, 3, top, weapon->GetScriptHandle()))
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
    if (!Call("EnemyDoUpdate", 8, 5, top, handle))
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
    if (!Call("EnemyOnHit", 9, 4, top, handle))
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
    if (!Call("EnemyOnDeath", 7, 1, top, handle))
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
    Call("Update", 3, 0, top, 0);
}
