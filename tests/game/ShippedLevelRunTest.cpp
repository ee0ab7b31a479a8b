// The whole of Level 1 with the shipped data and scripts, through the real
// script host and world without a window: an autopilot flies under the
// lowest enemy ahead while the guns fire, until the Warden has come and gone.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Collision.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"

namespace {

struct InDirectory {
    explicit InDirectory(const std::filesystem::path& path) { std::filesystem::current_path(path); }
    ~InDirectory() { std::filesystem::current_path(previous); }
    std::filesystem::path previous = std::filesystem::current_path();
};

// Every EnemyDoUpdate must come from inside the activity window; every enemy
// whose health an EnemyOnHit takes to 0 or below gets one EnemyOnDeath. Contact
// damage is the frame time, which is more than any player shot deals.
const char* const kGuard = R"(
outside, calls, deaths, shotDown, rammed, wardenShotDown, wardenDeaths = 0, 0, 0, 0, 0, 0, 0
local update, hit, death = EnemyDoUpdate, EnemyOnHit, EnemyOnDeath
function EnemyDoUpdate(h, x, y, ...)
  calls = calls + 1
  if not (y > guardViewY - 2000 and y < guardViewY + 500) then outside = outside + 1 end
  return update(h, x, y, ...)
end
function EnemyOnHit(h, x, y, health, damage, ...)
  local after, s1, s2, s3 = hit(h, x, y, health, damage, ...)
  if health > 0 and after <= 0 then
    if damage == guardDt then rammed = rammed + 1 else shotDown = shotDown + 1 end
    if h == wardenHandle and damage ~= guardDt then wardenShotDown = wardenShotDown + 1 end
  end
  return after, s1, s2, s3
end
function EnemyOnDeath(h, ...)
  deaths = deaths + 1
  if h == wardenHandle then wardenDeaths = wardenDeaths + 1 end
  return death(h, ...)
end
)";

class ShippedLevelRunTest : public GameplayTest {};

TEST_F(ShippedLevelRunTest, LevelOneIsPlayedThroughItsBossKeepingTheInvariants)
{
    InDirectory here(VANTREL_SOURCE_DIR);  // the game reads its data from there
    Assets::SetSource({});  // the real models
    srand(1);               // the scripts' math.random draws from the C library

    scripts = std::make_unique<ScriptManager>();  // "data/scripts/main.lua"
    ScriptManager::SetInstanceForTesting(scripts.get());
    lua_State* L = scripts->GetState();
    ASSERT_EQ(0, luaL_dostring(L, kGuard));
    auto setGlobal = [L](const char* name, double value) {
        lua_pushnumber(L, value);
        lua_setglobal(L, name);
    };

    const float dt = 16.0f;
    float bossSeen = -1, bossGone = -1, hullGone = -1;
    int hitsOnPlayer = 0;
    std::set<const Bullet*> touching, touched;
    ::testing::internal::CaptureStderr();
    {
        World world;
        CaptureStdout([&] { EXPECT_TRUE(world.LoadLevel("data/levels/Level1.txt")); });
        const Actors& actors = *world.GetActors();
        const EnemyType* warden = actors.FindEnemyType("Warden");
        ASSERT_NE(nullptr, warden);
        setGlobal("wardenHandle", warden->GetScriptHandle());
        setGlobal("guardDt", dt);
        PlayerCamera camera(1000.0f);
        camera.StartAtPlayer();
        Player& player = *actors.GetPlayer();
        // The level ends after about 218 s; the Warden comes at 160 s.
        for (float t = 0; t < 240000 && (bossGone < 0 || t < bossGone + 2000); t += dt) {
            const Vec2 view = GlobalInfo::Instance().GetViewPosition();
            const Vec2 at = player.GetPosition();
            float targetX = 250 * std::sin(t / 3000), lowest = view.y + 400, away = 0;
            for (const auto& enemy : actors.GetEnemies()) {
                const Vec2 e = enemy->GetPosition();
                if (enemy->GetTimer() <= 0)
                    continue;  // not yet in play
                if (e.y > at.y + 60 && e.y < lowest)
                    lowest = e.y, targetX = e.x;
                if (std::abs(e.y - at.y) < 150 && std::abs(e.x - at.x) < enemy->GetRadius() + 150)
                    away = e.x > at.x ? -300 : 300;  // sidestep rather than ram
                if (enemy->GetType() == warden && bossSeen < 0)
                    bossSeen = t;
            }
            if (away != 0)
                targetX = at.x + away;
            // Aim where the ship will be in 150 ms, holding 170 behind the view's centre.
            const float steer = targetX - (at.x + player.GetVelocity().x * 150);
            const float climb = view.y - 170 - (at.y + player.GetVelocity().y * 150);
            held.clear();
            if (std::abs(steer) > 8)
                held.insert(steer > 0 ? GLFW_KEY_LEFT : GLFW_KEY_RIGHT);  // left raises x
            if (std::abs(climb) > 8)
                held.insert(climb > 0 ? GLFW_KEY_UP : GLFW_KEY_DOWN);

            setGlobal("guardViewY", view.y);
            scripts->Update(dt);
            world.UpdateTree(dt);
            camera.Update(dt);
            ASSERT_EQ(1, lua_gettop(L)) << "at " << t << " ms";
            ASSERT_FALSE(std::isnan(player.GetHealth()) || std::isnan(player.GetPosition().x)) << t;
            // An enemy shot touching the ship after the update hit it in this one; below
            // zero hull a shot flies on and hits again, so each shot counts once.
            touching.swap(touched);
            touching.clear();
            for (const auto& bullet : world.GetBullets()->GetEnemyBullets())
                if (Collision::Touches(player.GetPosition(), player.GetRadius(), bullet->GetPosition(),
                                       bullet->GetRadius()))
                    hitsOnPlayer += touching.insert(bullet.get()).second && !touched.count(bullet.get());
            if (hullGone < 0 && player.GetHealth() <= 0)
                hullGone = t;  // the game flies on; the shots keep counting
            if (bossGone < 0 && std::stod(Eval("wardenDeaths")) > 0)
                bossGone = t;
        }
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(0, scripts->GetErrorCount()) << errors;
    EXPECT_EQ(0, std::stod(Eval("outside")));
    EXPECT_GT(std::stod(Eval("calls")), 20000);  // the level's enemies did run
    EXPECT_EQ(std::stod(Eval("shotDown")) + std::stod(Eval("rammed")), std::stod(Eval("deaths")));

    printf("Level 1: %g enemies shot down, %g rammed, %d shots hit the ship (hull gone at %.1f s), "
           "the Warden from %.1f s to %.1f s\n", std::stod(Eval("shotDown")), std::stod(Eval("rammed")), hitsOnPlayer,
           hullGone / 1000, bossSeen / 1000, bossGone / 1000);
    EXPECT_GE(std::stod(Eval("shotDown")), 100);
    EXPECT_GT(hitsOnPlayer, 20);
    EXPECT_GE(bossSeen, 150000) << "the Warden is placed at 160 s";
    ASSERT_GT(bossGone, bossSeen) << "the Warden was not destroyed within 240 s";
    EXPECT_EQ(1, std::stod(Eval("wardenShotDown")));
    EXPECT_EQ(1, std::stod(Eval("wardenDeaths")));
}

}  // namespace
