// One simulation step (the scripts' Update, the Actors pass with its bullet
// hits, enemy scripts and contact, the Bullets pass, the camera) with 1,000 active
// scripted enemies and 10,000 bullets, with the grid broad phase and with the
// plain test of every bullet against every enemy. Also the cost of one
// EnemyDoUpdate round trip through the script host, against a bare Lua call.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <unistd.h>

#include <lua.hpp>

#include "core/GlobalInfo.h"
#include "core/Simulation.h"
#include "game/Actors.h"
#include "game/Assets.h"
#include "game/Bullets.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "script/ScriptManager.h"
#include "tests/support/QuietStdout.h"
#include "tests/support/StubMainScript.h"

namespace {

// Enemies drift, turn towards the player and fire now and then, like the
// shipped ones; hits cost health.
const char* const kScript = R"(
px, py = 0, 0
function WeaponLoadScript(path) return 1 end
function EnemyLoadScript(path) return 1 end
function Update(x, y, dt) px, py = x, y end
function EnemyDoUpdate(h, x, y, dt, fire, b, c, t)
  fire = fire + dt
  if fire > 2000 then
    fire = fire - 2000
    local dx, dy = px - x, py - y
    local d = math.sqrt(dx * dx + dy * dy) + 1
    Vantrel.ShootEnemyPlasma(0, x, y, dx / d * 0.4, dy / d * 0.4, 5)
  end
  return x + math.sin(t * 0.002) * 0.05 * dt, y - 0.02 * dt, fire, b, c
end
function EnemyOnDeath(h, x, y, a, b, c, t) return true end
function Trivial(h, x, y, dt, a, b, c, t) return x, y, a, b, c end
)";

std::string WriteScript(const std::string& text)
{
    char path[] = "/tmp/vantrel-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        abort();
    close(fd);
    return WriteStubMainScript(path, text);
}

// The script host for the whole run, with the game's output kept quiet.
ScriptManager& Scripts()
{
    static std::unique_ptr<ScriptManager> scripts = [] {
        QuietStdout quiet;
        Assets::SetSource(Assets::NullSource());
        const std::string path = WriteScript(kScript);
        auto manager = std::make_unique<ScriptManager>(path);
        unlink(path.c_str());
        ScriptManager::SetInstanceForTesting(manager.get());
        return manager;
    }();
    return *scripts;
}

struct Scene {
    std::unique_ptr<Simulation> simulation = std::make_unique<Simulation>();
    Bullets* bullets = nullptr;
    Actors* actors = nullptr;
};

// 1,000 enemies inside the activity window around a view at y = 0, 5,000
// player bullets and 5,000 enemy bullets inside the 500-unit band.
Scene BuildScene(unsigned seed, bool broadPhase)
{
    Scripts();
    QuietStdout quiet;
    GlobalInfo::Instance().Reset();
    Scene scene;
    scene.simulation->Build("");
    scene.bullets = scene.simulation->GetWorld()->GetBullets();
    scene.actors = scene.simulation->GetWorld()->GetActors();
    std::istringstream bulletTypes("shot.png\n6 5\nplasma.png\n8 6\n");
    scene.bullets->LoadBulletTypes(bulletTypes, "bullets");
    scene.actors->SetBroadPhase(broadPhase);
    std::istringstream enemyTypes("drone\nd.obj\nd.png\nd.lua\n50\n30\ntank\nt.obj\nt.png\nt.lua\n90\n200\n");
    scene.actors->LoadEnemyTypes(enemyTypes, "types");
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 0));
    scene.simulation->GetCamera()->SetScroll(0);
    scene.actors->GetPlayer()->SetPosition(Vec2(0, -300));

    std::mt19937 random(seed);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    for (int i = 0; i < 1000; ++i)
        scene.actors->SpawnEnemy(i % 4 ? "drone" : "tank", Vec2(uniform(-800, 800), uniform(-1990, 490)),
                                 uniform(0, 2000), 0, 0);
    for (int i = 0; i < 5000; ++i) {
        scene.bullets->AddPlayerBullet(0, Vec2(uniform(-640, 640), uniform(-450, 450)), Vec2(0, 1.2f), 3);
        scene.bullets->AddEnemyBullet(1, Vec2(uniform(-640, 640), uniform(-450, 450)),
                                      Vec2(uniform(-0.4f, 0.4f), -0.4f), 5);
    }
    return scene;
}

void RunTicks(benchmark::State& state, bool broadPhase)
{
    Scripts();
    unsigned seed = 1;
    size_t hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Scene scene = BuildScene(seed++, broadPhase);
        const size_t before = scene.bullets->GetPlayerBullets().size();
        state.ResumeTiming();

        scene.simulation->Step(16);

        state.PauseTiming();
        hits += before - scene.bullets->GetPlayerBullets().size();
        scene = Scene();
        GlobalInfo::Instance().Reset();
        state.ResumeTiming();
    }
    state.counters["spentBullets"] = benchmark::Counter(static_cast<double>(hits), benchmark::Counter::kAvgIterations);
}

void BM_TickGrid(benchmark::State& state)
{
    RunTicks(state, true);
}

void BM_TickPlainLoop(benchmark::State& state)
{
    RunTicks(state, false);
}

// One EnemyDoUpdate through the script host: lookup by name, protected call,
// eight arguments in, five results back.
void BM_EnemyDoUpdate(benchmark::State& state)
{
    ScriptManager& scripts = Scripts();
    float s1 = 0, s2 = 0, s3 = 0;
    Vec2 position(10, 20);
    for (auto _ : state) {
        position = scripts.EnemyDoUpdate(1, position, 16, s1, s2, s3, 100);
        benchmark::DoNotOptimize(position);
    }
}

// The floor: the same script function called straight, unprotected, with the
// function looked up by name the same way.
void BM_BareLuaCall(benchmark::State& state)
{
    lua_State* L = Scripts().GetState();
    double x = 10, y = 20, s1 = 0, s2 = 0, s3 = 0;
    for (auto _ : state) {
        lua_getfield(L, LUA_GLOBALSINDEX, "Trivial");
        lua_pushinteger(L, 1);
        lua_pushnumber(L, x);
        lua_pushnumber(L, y);
        lua_pushnumber(L, 16);
        lua_pushnumber(L, s1);
        lua_pushnumber(L, s2);
        lua_pushnumber(L, s3);
        lua_pushnumber(L, 100);
        lua_call(L, 8, 5);
        s3 = lua_tonumber(L, -1);
        s2 = lua_tonumber(L, -2);
        s1 = lua_tonumber(L, -3);
        y = lua_tonumber(L, -4);
        x = lua_tonumber(L, -5);
        lua_settop(L, -6);
        benchmark::DoNotOptimize(x);
    }
}

// The trivial function through the host, to separate the host's cost from
// the shipped-like script's own work.
void BM_EnemyDoUpdateTrivialScript(benchmark::State& state)
{
    ScriptManager& scripts = Scripts();
    lua_State* L = scripts.GetState();
    lua_getglobal(L, "EnemyDoUpdate");
    lua_getglobal(L, "Trivial");
    lua_setglobal(L, "EnemyDoUpdate");
    float s1 = 0, s2 = 0, s3 = 0;
    Vec2 position(10, 20);
    for (auto _ : state) {
        position = scripts.EnemyDoUpdate(1, position, 16, s1, s2, s3, 100);
        benchmark::DoNotOptimize(position);
    }
    lua_setglobal(L, "EnemyDoUpdate");
}

}  // namespace

BENCHMARK(BM_TickGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickPlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnemyDoUpdate);
BENCHMARK(BM_EnemyDoUpdateTrivialScript);
BENCHMARK(BM_BareLuaCall);

BENCHMARK_MAIN();
