// A minute of play without a window: the world's update order, the camera's
// scroll, scripted enemies that spawn, move, shoot and die, and the player's
// weapons, at a fixed time step. Checks what must hold in every frame.
#include <GLFW/glfw3.h>

#include <cmath>

#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Weapon.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"

namespace {

const char* const kMainScript = R"(
viewY = 0
violations = {}
deaths = {}
killed = {}
updated = 0
nextId = 1000
elapsed = 0
px, py = 0, 0

function WeaponLoadScript(path) if path:find('primary') then return 1 end return 2 end
function EnemyLoadScript(path) return path == 'tank.lua' and 20 or 10 end

function Update(x, y, dt)
  px, py = x, y
  elapsed = elapsed + dt
  while elapsed > 450 do
    elapsed = elapsed - 450
    nextId = nextId + 1
    local kind = (nextId % 3 == 0) and 'tank' or 'drone'
    Vantrel.SpawnEnemy(kind, x + (nextId * 37) % 600 - 300, y + 450, nextId, 0, (nextId % 4) * 100)
  end
end

function WeaponDoUpdate(handle, level, dt, cooldown, shots, c)
  cooldown = cooldown - dt
  if cooldown <= 0 then
    cooldown = cooldown + 90
    shots = shots + 1
    local side = handle == 1 and -12 or 12
    Vantrel.ShootPlayerPlasma(0, px + side, py + 40, side * 0.01 * level, 1.2, 3)
  end
  return cooldown, shots, c
end

function EnemyDoUpdate(handle, x, y, dt, id, fire, c, timer)
  updated = updated + 1
  if not (y > viewY - 2000 and y < viewY + 500) then violations[#violations + 1] = id .. '@' .. y end
  fire = fire + dt
  if fire > 900 then
    fire = fire - 900
    local dx, dy = px - x, py - y
    local d = math.sqrt(dx * dx + dy * dy) + 1
    Vantrel.ShootEnemyPlasma(1, x, y, dx / d * 0.5, dy / d * 0.5, 6)
  end
  if handle == 20 and id % 5 == 0 and fire < dt then
    -- a tank now and then calls in a drone beside it
    nextId = nextId + 1
    Vantrel.SpawnEnemy('drone', x + 60, y, nextId, 0, 0)
  end
  local speed = handle == 20 and 0.03 or 0.12
  return x + (px - x) * 0.001 * dt, y - speed * dt, id, fire, c + 1
end

function EnemyOnHit(handle, x, y, health, damage, id, fire, c, timer)
  local left = health - damage
  if left <= 0 then killed[id] = true end
  return left, id, fire, c
end

function EnemyOnDeath(handle, x, y, id, fire, c, timer)
  deaths[id] = (deaths[id] or 0) + 1
  Vantrel.Explode(x, y, 40, 0)
  return id % 2 == 0
end
)";

const char* const kTypes = "drone\ndrone.obj\ndrone.png\ndrone.lua\n50\n9\n"
                           "tank\ntank.obj\ntank.png\ntank.lua\n90\n40\n";

const char* const kTimeline = "# a few placed ahead\n"
                              "drone\n0 1200\n1 0 0\n"
                              "tank\n150 2500\n2 0 300\n"
                              "drone\n-200 4000\n3 0 0\n"
                              "drone\n100 -5000\n4 0 0\n";  // behind the start: never runs

class SimulationTest : public GameplayTest {};

TEST_F(SimulationTest, AMinuteOfPlayKeepsItsInvariants)
{
    Start(kMainScript);
    const std::string types = dir.Write("types.txt", kTypes);
    const std::string timeline = dir.Write("enemies.txt", kTimeline);
    const std::string bulletTypes = dir.Write("bullets.txt", "shot.png\n6 5\nplasma.png\n8 6\n");

    World world;
    GlobalInfo::Instance().SetLevelSize(1000, 20000);
    Actors& actors = *world.GetActors();
    Bullets& bullets = *world.GetBullets();
    CaptureStdout([&] {
        actors.LoadEnemyTypes(types);
        actors.LoadEnemies(timeline);
        bullets.LoadBulletTypes(bulletTypes);
    });
    ASSERT_EQ(4u, actors.GetEnemies().size());
    PlayerCamera camera(1000.0f);
    camera.StartAtPlayer();
    Player& player = *actors.GetPlayer();

    const float dt = 16.0f;
    const int frames = static_cast<int>(60000 / dt);
    size_t mostEnemies = 0, mostBullets = 0;
    ::testing::internal::CaptureStderr();
    for (int frame = 0; frame < frames; ++frame) {
        // Weave left and right every two seconds; now and then push forward and
        // back again, so the ship stays over the scrolling view.
        held.clear();
        held.insert((frame / 125) % 2 ? GLFW_KEY_LEFT : 'D');
        if (frame % 300 < 30)
            held.insert(GLFW_KEY_UP);
        else if (frame % 300 < 60)
            held.insert('S');
        if (frame == 1000)
            held.insert('3');

        lua_pushnumber(L(), GlobalInfo::Instance().GetViewPosition().y);
        lua_setglobal(L(), "viewY");
        scripts->Update(dt);
        world.UpdateTree(dt);
        camera.Update(dt);

        ASSERT_EQ(1, Top()) << "frame " << frame;
        ASSERT_FALSE(std::isnan(player.GetHealth()) || std::isnan(player.GetShield()) ||
                     std::isnan(player.GetPosition().x))
            << "frame " << frame;
        mostEnemies = std::max(mostEnemies, actors.GetEnemies().size());
        mostBullets = std::max(mostBullets, bullets.GetPlayerBullets().size() + bullets.GetEnemyBullets().size());
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ("", errors);
    EXPECT_EQ(0, scripts->GetErrorCount());

    // No enemy ran its script outside the activity window.
    EXPECT_EQ("0", Eval("#violations")) << Eval("table.concat(violations, ' ')");
    EXPECT_GT(Number("updated"), 10000);

    // Every enemy that died got exactly one death call, and is gone; one
    // killed by contact in the very last frame may still wait for it.
    std::set<int> present;
    for (const auto& enemy : actors.GetEnemies())
        present.insert(static_cast<int>(enemy->GetState1()));
    Run("deathList, killedList = {}, {}\n"
        "for id, n in pairs(deaths) do deathList[#deathList + 1] = id .. ':' .. n end\n"
        "for id in pairs(killed) do killedList[#killedList + 1] = id end");
    const int deathCount = static_cast<int>(Number("#deathList"));
    const int killedCount = static_cast<int>(Number("#killedList"));
    EXPECT_GT(deathCount, 50);
    for (int i = 1; i <= deathCount; ++i) {
        const std::string entry = Eval("deathList[" + std::to_string(i) + "]");
        const int id = std::stoi(entry.substr(0, entry.find(':')));
        EXPECT_EQ(":1", entry.substr(entry.find(':'))) << entry;
        EXPECT_EQ(0u, present.count(id)) << id;
    }
    for (int i = 1; i <= killedCount; ++i) {
        const int id = static_cast<int>(Number("killedList[" + std::to_string(i) + "]"));
        if (!present.count(id))
            EXPECT_EQ("1", Eval("deaths[" + std::to_string(id) + "]")) << id;
    }

    // The placed enemy behind the start never ran, and the player was hit.
    EXPECT_EQ("nil", Eval("deaths[4]"));
    EXPECT_LT(player.GetHealth(), 100.0f);
    EXPECT_EQ(3, player.GetPrimaryWeapon()->GetLevel());
    EXPECT_GT(player.GetPrimaryWeapon()->GetState2(), 500.0f);  // shots fired
    EXPECT_GT(mostEnemies, 5u);
    EXPECT_GT(mostBullets, 20u);
    // Bullets do not pile up: everything outside the band is dropped.
    for (const auto& bullet : bullets.GetPlayerBullets())
        EXPECT_LT(std::fabs(bullet->GetPosition().y - GlobalInfo::Instance().GetViewPosition().y), 520.0f);
}

}  // namespace
