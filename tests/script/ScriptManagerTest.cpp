#include <algorithm>

#include "core/RunState.h"
#include "effects/GraphicalEffects.h"
#include "game/Weapon.h"
#include "tests/game/GameplayFixture.h"

namespace {

std::string Stderr(const std::function<void()>& body)
{
    ::testing::internal::CaptureStderr();
    body();
    return ::testing::internal::GetCapturedStderr();
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ScriptManagerTest : public GameplayTest {
protected:
    // Three bullet types of sizes 1, 3, 5, an actors container, effects and a
    // started run, registered for the script functions.
    void UseWorld()
    {
        LoadBulletTypes(bullets, "a.png\n1 2\nb.png\n3 4\nc.png\n5 6\n");
        GlobalInfo::Instance().SetBullets(&bullets);
        GlobalInfo::Instance().SetActors(&actors);
        GlobalInfo::Instance().SetPlayer(actors.GetPlayer());
        GlobalInfo::Instance().SetEffects(&effects);
        run.Start();
        GlobalInfo::Instance().SetRun(&run);
    }
    static std::string States(const Weapon& w) { return Join(w.GetState1(), w.GetState2(), w.GetState3()); }

    Bullets bullets;
    Actors actors;  // built before the test's interpreter: its weapons get handle 0
    GraphicalEffects effects;
    RunState run;
};

TEST_F(ScriptManagerTest, TheMainScriptRunsOnceAndLoadScriptsRoundTheHandle)
{
    Start("runs = (runs or 0) + 1\n"
          "function WeaponLoadScript(path) Log('weapon', path) return result end\n"
          "function EnemyLoadScript(path) Log('enemy', path) return result end\n");
    EXPECT_EQ("1", Eval("runs"));
    for (auto [result, handle] : {std::pair{"2.6", 3}, {"-2.6", -3}, {"'12'", 12}, {"'abc'", 0}, {"nil", 0},
                                  {"1e20", 0}, {"0/0", 0}}) {
        Run(std::string("result = ") + result);
        EXPECT_EQ(handle, scripts->WeaponLoadScript("data/w.lua")) << result;
        EXPECT_EQ(handle, scripts->EnemyLoadScript("data/e.lua")) << result;
        EXPECT_EQ("weapon data/w.lua | enemy data/e.lua", TakeLog());
    }
    // A main script that is missing is reported by its path (what calls do then: the failed-call tests).
    const std::string errors = Stderr([&] {
        ScriptManager::SetInstanceForTesting(nullptr);
        scripts = std::make_unique<ScriptManager>(dir.Path() + "no-such-main.lua");
    });
    EXPECT_TRUE(Has(errors, "Script error in main script " + dir.Path() + "no-such-main.lua")) << errors;
}

// What the shipped scripts leave unused (the arguments and results they do
// use: ShippedLevelTest's trace): a weapon's third state, results missing or
// not numbers read as 0 and extra ones dropped, the death call's arguments
// and its wreck, the tick without a player.
TEST_F(ScriptManagerTest, EntryPointsReadMissingResultsAsZero)
{
    Start("function WeaponDoUpdate(...) return unpack(results) end\n"
          "function EnemyDoUpdate(...) return unpack(results) end\n"
          "function EnemyOnDeath(...) Log('death', ...) return unpack(results) end\n"
          "function Update(...) Log('update', ...) end\n");
    Weapon weapon("Vulcan Cannon", 7, 1);
    Run("results = {4, 5, 6, 99}");
    scripts->WeaponDoUpdate(&weapon, 16);
    EXPECT_EQ("4 5 6", States(weapon));
    Run("results = {'x', '2'}");
    scripts->WeaponDoUpdate(&weapon, 20);
    EXPECT_EQ("0 2 0", States(weapon));
    float s1 = 1, s2 = 2, s3 = 3;
    Run("results = {}");
    EXPECT_EQ("0 0 0 0 0", Join(scripts->EnemyDoUpdate(5, Vec2(1.5f, 2.5f), 16, s1, s2, s3, 100), s1, s2, s3));
    for (auto [result, wreck] : {std::pair{"{true}", true}, {"{}", false}, {"{0}", true}}) {
        Run(std::string("results = ") + result);
        EXPECT_EQ(wreck, scripts->EnemyOnDeath(8, Vec2(5, 6), 1, 2, 3, 400)) << result;
    }
    scripts->Update(16);
    EXPECT_EQ("death 8 5 6 1 2 3 400 | death 8 5 6 1 2 3 400 | death 8 5 6 1 2 3 400 | update 0 0 16", TakeLog());
    EXPECT_EQ(1, lua_gettop(L()));
}

// The entry points' failures in general (values kept, stack restored, the
// call named): the sandbox's watchdog test. Here: a failing lookup or a
// non-string error is caught too, a repeated message is shown once, and only
// a hundred distinct ones are shown.
TEST_F(ScriptManagerTest, FailedCallsAreReportedOnceAndOnlyAHundredAreShown)
{
    Start("function EnemyOnHit() error({}) end\n"
          "Update = nil setmetatable(_G, {__index = function(t, k) if k == 'Update' then error('no global ' .. k) end end})\n"
          "EnemyLoadScript = nil\n");
    const std::string errors = Stderr([&] {
        for (int frame = 0; frame < 3; ++frame) {
            float s1 = 4, s2 = 5, s3 = 6;
            EXPECT_EQ(33.0f, scripts->EnemyOnHit(1, Vec2(7, 8), 33, 5, s1, s2, s3, 10));
            scripts->Update(16);
            EXPECT_EQ(0, scripts->EnemyLoadScript("e.lua"));
        }
    });
    EXPECT_EQ(9, scripts->GetErrorCount());
    EXPECT_EQ(3, std::count(errors.begin(), errors.end(), '\n')) << errors;
    for (const char* line : {"EnemyOnHit: (error object is a table value)\n", "Script error in Update: ", "no global Update\n",
                             "EnemyLoadScript: the main script defines no function EnemyLoadScript\n"})
        EXPECT_TRUE(Has(errors, line)) << line << "\n" << errors;

    Start("n = 0\nfunction Update() n = n + 1 error('failure number ' .. n) end\n");
    const std::string many = Stderr([&] {
        for (int i = 0; i < 500; ++i)
            scripts->Update(16);
    });
    EXPECT_EQ(101, std::count(many.begin(), many.end(), '\n'));
    EXPECT_TRUE(Has(many, "failure number 100\n") && !Has(many, "failure number 101\n")) << many;
    EXPECT_EQ(500, Problems::Count());
}

// Shots of the truncated type (a type outside the table refused with a
// line), explosions, enemies from the last six arguments (a number names the
// type by its text), the player and the score. (The shots' other fields, the
// view and the score in play: ShippedLevelTest's trace.)
TEST_F(ScriptManagerTest, GameFunctionsReachTheWorldAndTheRun)
{
    Start("function EnemyLoadScript(path) return 5 end\n");
    // Without a world and a run: no player, an empty view, a score of 0 that nothing changes.
    Run("n = select('#', Vantrel.GetPlayer()) Vantrel.AddScore(5) ended = Vantrel.EndGame('x')");
    EXPECT_EQ("0 0 0 0 0 0 false", Eval("n .. ' ' .. table.concat({Vantrel.GetView()}, ' ') .. ' ' .. "
                                        "Vantrel.GetScore() .. ' ' .. tostring(ended)"));
    UseWorld();
    Run("Vantrel.ShootPlayerPlasma(1.9, 10, 20, 0.5, -1, 7) Vantrel.ShootPlayerPlasma(-0.5, 1, 2, 3, 4, 5)"
        " Vantrel.ShootEnemyPlasma('2', 30, 40, -1, 0, 9) Vantrel.Explode(1, 2, 10, 0)");
    ASSERT_EQ("2 1 1", Join(bullets.GetPlayerBullets().size(), bullets.GetEnemyBullets().size(), effects.GetEffectCount()));
    // Types 1.9, -0.5 and '2' read as 1, 0 and 2 (sizes 3, 1, 5).
    EXPECT_EQ("3 1 5", Join(bullets.GetPlayerBullets()[0]->GetSize(), bullets.GetPlayerBullets()[1]->GetSize(),
                            bullets.GetEnemyBullets()[0]->GetSize()));
    const std::string errors = Stderr([&] {
        Run("for _, t in ipairs({3, -1, 1e12, 0/0, 3, 17}) do Vantrel.ShootPlayerPlasma(t, 0, 0, 0, 1, 1) end\n"
            "Vantrel.ShootEnemyPlasma(17, 0, 0, 0, 1, 1) after = true");
    });
    EXPECT_EQ("2 1 true", Join(bullets.GetPlayerBullets().size(), bullets.GetEnemyBullets().size(), Eval("after")));
    EXPECT_TRUE(Has(errors, "No bullet type 3 (the table has 3); the shot is ignored\n")) << errors;

    LoadEnemyTypes(actors, "grunt\nm.obj\nt.png\ns.lua\n40\n10\n42\nm.obj\nt.png\ns.lua\n20\n3\n");
    Run("Vantrel.SpawnEnemy('grunt', 100, 3000, 1.5, 2.5, 500)\n"
        "Vantrel.SpawnEnemy('ignored', 'grunt', 1, 2, 3, 4, 5) Vantrel.SpawnEnemy(42, 7, 8, 0, 0, 0)\n"
        "for _, t in ipairs({'nobody', 'grunt\\0x'}) do Vantrel.SpawnEnemy(t, 7, 8, 0, 0, 0) end");
    const auto& enemies = actors.GetEnemies();
    ASSERT_EQ(3u, enemies.size());
    for (auto [i, expected] : {std::pair{0, "grunt 100 3000 1.5 2.5 0 -500 10 20"}, {1, "grunt 1 2 3 4 0 -5 10 20"}}) {
        const Enemy& e = *enemies[size_t(i)];
        EXPECT_EQ(expected, Join(e.GetType()->GetName(), e.GetPosition(), e.GetState1(), e.GetState2(),
                                 e.GetState3(), e.GetTimer(), e.GetHealth(), e.GetRadius()));
    }
    EXPECT_EQ("42", enemies[2]->GetType()->GetName());

    actors.GetPlayer()->SetPosition(Vec2(-20, 3300));
    actors.GetPlayer()->Damage(40);
    EXPECT_EQ("-20 3300 90 0 100 30", Eval("table.concat({Vantrel.GetPlayer()}, ' ')"));
    Run("Vantrel.AddScore(100) Vantrel.AddScore('50') Vantrel.AddScore(-25)");
    EXPECT_EQ("125", Eval("Vantrel.GetScore()"));
}

// EndGame from an enemy's script while the Actors pass walks the enemies: the
// run ends once, the pass goes on to the enemy spawned in it, and the ship's
// flight ends with it (its hull is gone, so it explodes).
TEST_F(ScriptManagerTest, EndGameFromInsideTheEnemyPassEndsTheRunOnce)
{
    Start("function EnemyLoadScript(path) return 1 end\n"
          "function EnemyDoUpdate(h, x, y, dt, a, b, c, t)\n"
          "  Log('update', x, tostring(Vantrel.EndGame('Ship destroyed ' .. x)))\n"
          "  if x == 1 then Vantrel.SpawnEnemy('grunt', 3, y, 0, 0, 0) end\n"
          "  return x, y, a, b, c\n"
          "end\n");
    UseWorld();
    LoadEnemyTypes(actors, "grunt\nm.obj\nt.png\ns.lua\n20\n10\n");
    Run("Vantrel.SpawnEnemy('grunt', 1, 300, 0, 0, 0) Vantrel.SpawnEnemy('grunt', 2, 300, 0, 0, 0)");
    actors.GetPlayer()->SetHealth(0);
    actors.Update(16);
    EXPECT_EQ("update 1 true | update 2 false | update 3 false", TakeLog());
    EXPECT_EQ("Ship destroyed 1", run.GetMessage());
    EXPECT_TRUE(actors.GetPlayer()->IsDestroyed());
    EXPECT_GT(effects.GetEffectCount(), 0u);
}

}  // namespace
