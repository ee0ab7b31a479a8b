// The one Lua 5.1 interpreter of the process and the interface between game
// and scripts.
//
// Construction opens the interpreter, registers the `Vantrel` table (the game
// functions scripts may call: the four that spawn, fire and explode, the sound
// functions, and GetPlayer, GetView, AddScore, GetScore and EndGame for the
// run) and runs the main script once; that script
// defines the seven global entry points the game calls. Every call looks its
// entry point up by name in the globals, so scripts may redefine them at any
// time. Scripts hold no game pointers: weapons and enemy types are known to
// them by the handle their load function returned, and every per-object
// number is passed in and handed back on each call.
//
// Every call into a script is protected. A call that fails leaves the Lua
// stack as it was and the object's values untouched; its message goes to
// stderr, once per distinct message and entry point. The two load calls return
// the handle 0 when they fail.
//
// Scripts run in a sandbox (ScriptSandbox) instead of with every standard
// library. Each call from the game into Lua (the main chunk included) may run
// a fixed number of VM instructions, about a quarter of a second; a call
// that runs longer fails with "script ran too long (endless loop?)". The
// interpreter's memory is bounded through its allocator; an allocation past
// the bound fails the call with "not enough memory".
//
// Single-threaded: only the main loop's thread uses the interpreter. Scripts
// re-enter the game (spawning enemies, firing) from inside any call.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "core/Vec2.h"

struct lua_State;
class Weapon;

class ScriptManager {
public:
    // The installed test instance if there is one, otherwise the process-wide
    // interpreter, created on the first call with "data/scripts/main.lua".
    static ScriptManager& Instance();
    // Tests install their own interpreter here; null restores the default.
    // The caller keeps ownership.
    static void SetInstanceForTesting(ScriptManager* manager);

    // Scripts may read files under `dataDirectory` and load code from its
    // "scripts/" subdirectory only.
    explicit ScriptManager(const std::string& mainScriptPath = "data/scripts/main.lua",
                           const std::string& dataDirectory = "data/");
    virtual ~ScriptManager();

    // Closes the interpreter and opens a fresh one that runs the main script
    // again, as construction does: nothing a script kept survives. The
    // interrupt check stays. Never from inside a call into a script.
    void Reopen();
    ScriptManager(const ScriptManager&) = delete;
    ScriptManager& operator=(const ScriptManager&) = delete;

    // Calls the script's load function with the path and returns its handle
    // (the result rounded to the nearest integer; 0 when it is not a number or
    // when the call fails).
    int WeaponLoadScript(const std::string& path);
    int EnemyLoadScript(const std::string& path);

    // The weapon's three states take the script's three results. Null does nothing.
    void WeaponDoUpdate(Weapon* weapon, float dt);
    // Returns the enemy's new position; the states are updated in place.
    Vec2 EnemyDoUpdate(int handle, const Vec2& position, float dt, float& state1, float& state2, float& state3,
                       float timer);
    // Returns the enemy's new health; the states are updated in place.
    float EnemyOnHit(int handle, const Vec2& position, float health, float damage, float& state1, float& state2,
                     float& state3, float timer);
    // True when the enemy should leave a wreck.
    bool EnemyOnDeath(int handle, const Vec2& position, float state1, float state2, float state3, float timer);
    // The per-frame global update with the player's position.
    void Update(float dt);

    lua_State* GetState() const { return luaState; }
    // Number of failed calls so far (reported or not).
    int GetErrorCount() const { return errorCount; }
    // Reports a script error through Problems, once per distinct pair of
    // place and message (and no more than a hundred distinct ones).
    void Report(const std::string& where, const std::string& message);

    // Asked now and then while a call runs long; when it answers true (the
    // window was closed) the running call stops and no script runs again.
    void SetInterruptCheck(std::function<bool()> check);
    bool IsInterrupted() const;
    // Bytes the interpreter has allocated.
    size_t GetMemoryUsed() const;

    struct Limits;

private:
    // Pushes the entry point's caller and leaves room for the arguments; the
    // arguments follow, then Call runs it. Returns false when the stack
    // cannot grow.
    bool Begin(int argumentCount);
    // Protected call of the entry point `name` with the arguments pushed after
    // Begin. On success `resultCount` results are on the stack above `top`;
    // on failure the stack is back at `top` and the message reported. A
    // per-frame call, given its object's script `handle` (0 for Update), that
    // once runs out of time is not made again this run: an endless loop would
    // otherwise cost its quarter of a second on every object, every frame.
    bool Call(const char* name, int argumentCount, int resultCount, int top, std::optional<int> handle = {});
    int LoadScript(const char* name, const std::string& path);
    // A new interpreter with the sandbox, the game's table and the main script.
    void Open();
    // lua_pcall under the watchdog; returns its status.
    int ProtectedCall(int argumentCount, int resultCount);

    std::string mainScriptPath;
    std::string dataDirectory;
    std::unique_ptr<Limits> limits;
    lua_State* luaState = nullptr;
    int callerRef = 0;
    int errorCount = 0;
    std::set<std::pair<std::string, int>> stalledCalls;  // entry point, script handle
};
