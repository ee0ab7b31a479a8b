// A minute of play without a window at a fixed time step: the world's update
// order, the camera's scroll, scripted enemies that spawn, move, shoot and
// die, and the player's weapons. Checks what must hold in every frame.
#include <GLFW/glfw3.h>

#include <cmath>

#include "game/Weapon.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"

namespace {

const char* const kMainScript = R"(
deaths, killed, nextId, elapsed, px, py = {}, {}, 1000, 0, 0, 0
function WeaponLoadScript(path) return path:find('primary') and 1 or 2 end
function EnemyLoadScript(path) return path == 'tank.lua' and 20 or 10 end
function Update(x, y, dt)
  px, py, elapsed = x, y, elapsed + dt
  while elapsed > 450 do
    elapsed, nextId = elapsed - 450, nextId + 1
    local kind = (nextId % 3 == 0) and 'tank' or 'drone'
    Vantrel.SpawnEnemy(kind, x + (nextId * 37) % 600 - 300, y + 450, nextId, 0, (nextId % 4) * 100)
  end
end
function WeaponDoUpdate(handle, level, dt, cooldown, shots, c)
  cooldown = cooldown - dt
  if cooldown > 0 then return cooldown, shots, c end
  local side = handle == 1 and -12 or 12
  Vantrel.ShootPlayerPlasma(0, px + side, py + 40, side * 0.01 * level, 1.2, 3)
  return cooldown + 90, shots + 1, c
end
function EnemyDoUpdate(handle, x, y, dt, id, fire, c, timer)
  fire = fire + dt
  if fire > 900 then
    local dx, dy = px - x, py - y
    local d = math.sqrt(dx * dx + dy * dy) + 1
    fire = fire - 900
    Vantrel.ShootEnemyPlasma(1, x, y, dx / d * 0.5, dy / d * 0.5, 6)
  end
  if handle == 20 and id % 5 == 0 and fire < dt then  -- a tank calls in a drone beside it
    nextId = nextId + 1
    Vantrel.SpawnEnemy('drone', x + 60, y, nextId, 0, 0)
  end
  return x + (px - x) * 0.001 * dt, y - (handle == 20 and 0.03 or 0.12) * dt, id, fire, c + 1
end
function EnemyOnHit(handle, x, y, health, damage, id, fire, c, timer)
  if health - damage <= 0 then killed[id] = true end
  return health - damage, id, fire, c
end
function EnemyOnDeath(handle, x, y, id, fire, c, timer)
  deaths[id] = (deaths[id] or 0) + 1
  Vantrel.Explode(x, y, 40, 0)
  return id % 2 == 0
end
)";

// Wraps EnemyDoUpdate to count calls made outside the activity window.
const char* const kWindowGuard =
    "outside, calls = 0, 0 local update = EnemyDoUpdate\n"
    "function EnemyDoUpdate(h, x, y, ...) calls = calls + 1\n"
    "  if not (y > viewY - 2000 and y < viewY + 500) then outside = outside + 1 end return update(h, x, y, ...) end\n";

// Runs a minute of 16 ms frames, weaving left and right; `each` runs after every frame.
template <typename F>
void PlayAMinute(ScriptManager& scripts, World& world, std::set<int>& held, F each)
{
    PlayerCamera camera(1000.0f);
    camera.StartAtPlayer();
    lua_State* L = scripts.GetState();
    for (int frame = 0; frame < 3750; ++frame) {
        held = {(frame / 125) % 2 ? GLFW_KEY_LEFT : 'D'};
        if (frame % 300 < 30)
            held.insert(GLFW_KEY_UP);
        else if (frame % 300 < 60)
            held.insert('S');
        if (frame == 1000)
            held.insert('3');
        lua_pushnumber(L, GlobalInfo::Instance().GetViewPosition().y);
        lua_setglobal(L, "viewY");
        scripts.Update(16);
        world.UpdateTree(16);
        camera.Update(16);
        ASSERT_EQ(1, lua_gettop(L)) << "frame " << frame;
        const Player& player = *world.GetActors()->GetPlayer();
        ASSERT_FALSE(std::isnan(player.GetHealth()) || std::isnan(player.GetShield()) ||
                     std::isnan(player.GetPosition().x))
            << "frame " << frame;
        each();
    }
}

class SimulationTest : public GameplayTest {};

TEST_F(SimulationTest, AMinuteOfPlayKeepsItsInvariants)
{
    Start(kMainScript);
    Run(kWindowGuard);
    World world;
    GlobalInfo::Instance().SetLevelSize(1000, 20000);
    Actors& actors = *world.GetActors();
    Bullets& bullets = *world.GetBullets();
    CaptureStdout([&] {
        actors.LoadEnemyTypes(dir.Write("types.txt", "drone\ndrone.obj\ndrone.png\ndrone.lua\n50\n9\n"
                                                     "tank\ntank.obj\ntank.png\ntank.lua\n90\n40\n"));
        actors.LoadEnemies(dir.Write("enemies.txt", "drone\n0 1200\n1 0 0\ntank\n150 2500\n2 0 300\n"
                                                    "drone\n-200 4000\n3 0 0\n"
                                                    "drone\n100 -5000\n4 0 0\n"));  // behind the start: never runs
        bullets.LoadBulletTypes(dir.Write("bullets.txt", "shot.png\n6 5\nplasma.png\n8 6\n"));
    });
    ASSERT_EQ(4u, actors.GetEnemies().size());
    size_t mostEnemies = 0, mostBullets = 0;
    ::testing::internal::CaptureStderr();
    PlayAMinute(*scripts, world, held, [&] {
        mostEnemies = std::max(mostEnemies, actors.GetEnemies().size());
        mostBullets = std::max(mostBullets, bullets.GetPlayerBullets().size() + bullets.GetEnemyBullets().size());
    });
    EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
    EXPECT_EQ(0, scripts->GetErrorCount());
    EXPECT_EQ("0", Eval("outside"));
    EXPECT_LT(10000, std::stoi(Eval("calls")));

    // Every enemy that died got exactly one death call and is gone; every one
    // killed got its death call unless it is still present (killed by contact
    // in the very last frame).
    std::string present = " ";
    for (const auto& enemy : actors.GetEnemies())
        present += std::to_string(static_cast<int>(enemy->GetState1())) + " ";
    Run("present, deathCount, wrong = '" + present + "', 0, {}\n"
        "for id, n in pairs(deaths) do deathCount = deathCount + 1\n"
        "  if n ~= 1 or present:find(' ' .. id .. ' ') then wrong[#wrong + 1] = id .. ':' .. n end end\n"
        "for id in pairs(killed) do\n"
        "  if not deaths[id] and not present:find(' ' .. id .. ' ') then wrong[#wrong + 1] = id .. ':0' end end");
    EXPECT_EQ("", Eval("table.concat(wrong, ' ')"));
    EXPECT_LT(50, std::stoi(Eval("deathCount")));
    EXPECT_EQ("nil", Eval("deaths[4]"));

    const Player& player = *actors.GetPlayer();
    EXPECT_LT(player.GetHealth(), 100.0f);  // the player was hit
    EXPECT_EQ(3, player.GetPrimaryWeapon()->GetLevel());
    EXPECT_GT(player.GetPrimaryWeapon()->GetState2(), 500.0f);  // shots fired
    EXPECT_GT(mostEnemies, 5u);
    EXPECT_GT(mostBullets, 20u);
    for (const auto& bullet : bullets.GetPlayerBullets())  // nothing piles up outside the band
        EXPECT_LT(std::fabs(bullet->GetPosition().y - GlobalInfo::Instance().GetViewPosition().y), 520.0f);
}

}  // namespace
