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

class ScriptManagerTest : public GameplayTest {
protected:
    // Three bullet types of sizes 1, 3, 5 and an actors container, registered for the script functions.
    void UseWorld()
    {
        LoadBulletTypes(bullets, "a.png\n1 2\nb.png\n3 4\nc.png\n5 6\n");
        GlobalInfo::Instance().SetBullets(&bullets);
        GlobalInfo::Instance().SetActors(&actors);
        GlobalInfo::Instance().SetPlayer(actors.GetPlayer());
    }
    std::string States(const Weapon& w) { return Join(w.GetState1(), w.GetState2(), w.GetState3()); }

    Bullets bullets;
    Actors actors;  // built before the test's interpreter: its weapons get handle 0
};

TEST_F(ScriptManagerTest, ConstructionPublishesTheVantrelTableAndRunsTheMainScriptOnce)
{
    Start("runs = (runs or 0) + 1\n");
    EXPECT_EQ("1 function function function function true true true",
              Eval("table.concat({runs, type(Vantrel.ShootEnemyPlasma), type(Vantrel.ShootPlayerPlasma),"
                   "type(Vantrel.Explode), type(Vantrel.SpawnEnemy), tostring(package.loaded.Vantrel == Vantrel),"
                   "tostring(debug.getregistry().Vantrel.__index == Vantrel),"
                   "tostring(debug.getregistry().Vantrel.__metatable == Vantrel)}, ' ')"));
    // The table itself stays on the stack and is all that is there.
    ASSERT_EQ(1, Top());
    lua_getglobal(L(), "Vantrel");
    EXPECT_TRUE(lua_rawequal(L(), 1, -1));
    lua_pop(L(), 1);
}

TEST_F(ScriptManagerTest, MissingMainScriptIsReportedAndLeavesEveryCallHarmless)
{
    Weapon weapon("Vulcan Cannon", 4, 1);
    weapon.SetState1(5);
    const std::string errors = Stderr([&] {
        scripts = std::make_unique<ScriptManager>(dir.Path() + "no-such-main.lua");
        EXPECT_EQ(0, scripts->WeaponLoadScript("w.lua"));
        scripts->WeaponDoUpdate(&weapon, 16);
        scripts->Update(16);
    });
    EXPECT_EQ(5.0f, weapon.GetState1());
    EXPECT_EQ(1, Top());
    for (std::string text : {"Script error in main script " + dir.Path() + "no-such-main.lua",
                             std::string("Script error in WeaponLoadScript: "), std::string("Script error in Update: ")})
        EXPECT_NE(std::string::npos, errors.find(text)) << text;
}

TEST_F(ScriptManagerTest, LoadScriptsPassThePathAndRoundTheHandle)
{
    Start("function WeaponLoadScript(path) Log('weapon', path) return result end\n"
          "function EnemyLoadScript(path) Log('enemy', path) return result end\n");
    const std::pair<const char*, int> cases[] = {{"2.6", 3}, {"2.4", 2},   {"-2.6", -3}, {"'12'", 12}, {"'abc'", 0},
                                                 {"nil", 0}, {"{}", 0},    {"1e20", 0},  {"0/0", 0}};
    for (auto [result, handle] : cases) {
        Run(std::string("result = ") + result);
        EXPECT_EQ(handle, scripts->WeaponLoadScript("data/w.lua")) << result;
        EXPECT_EQ(handle, scripts->EnemyLoadScript("data/e.lua")) << result;
        EXPECT_EQ(1, Top());
        EXPECT_EQ("weapon data/w.lua | enemy data/e.lua", TakeLog());
    }
}

TEST_F(ScriptManagerTest, WeaponDoUpdateHandsStateInAndTakesThreeResultsBack)
{
    Start("function WeaponDoUpdate(h, l, dt, a, b, c) Log(h, l, dt, a, b, c) return unpack(results) end\n");
    Weapon weapon("Vulcan Cannon", 7, 1);
    Run("results = {1, 2, 3}");
    scripts->WeaponDoUpdate(&weapon, 16);
    weapon.SetLevel(4);
    scripts->WeaponDoUpdate(&weapon, 20);
    EXPECT_EQ("7 1 16 0 0 0 | 7 4 20 1 2 3", TakeLog());  // a new weapon hands (handle, 1, dt, 0, 0, 0)
    // Extra results are dropped, missing ones read as 0.
    const std::pair<const char*, const char*> cases[] = {
        {"{4, 5, 6, 99}", "4 5 6"}, {"{8}", "8 0 0"}, {"{}", "0 0 0"}, {"{'x', '2', 0.5}", "0 2 0.5"}};
    for (auto [results, states] : cases) {
        Run(std::string("results = ") + results);
        scripts->WeaponDoUpdate(&weapon, 20);
        EXPECT_EQ(states, States(weapon)) << results;
        EXPECT_EQ(1, Top());
    }
    TakeLog();
    scripts->WeaponDoUpdate(nullptr, 20);
    EXPECT_EQ("", TakeLog());
}

TEST_F(ScriptManagerTest, EnemyCallsPassTheirArgumentsInOrderAndReadTheirResults)
{
    Start("function EnemyDoUpdate(...) Log('do', ...) return unpack(results) end\n"
          "function EnemyOnHit(...) Log('hit', ...) return unpack(results) end\n"
          "function EnemyOnDeath(...) Log('death', ...) return unpack(results) end\n");
    float s1 = 1, s2 = 2, s3 = 3;
    Run("results = {10, 20, 11, 12, 13}");
    Vec2 moved = scripts->EnemyDoUpdate(5, Vec2(1.5f, 2.5f), 16, s1, s2, s3, 100);
    EXPECT_EQ("do 5 1.5 2.5 16 1 2 3 100", TakeLog());
    EXPECT_EQ("10 20 11 12 13", Join(moved, s1, s2, s3));
    Run("results = {}");  // nothing moves the enemy to (0, 0) and zeroes its states
    moved = scripts->EnemyDoUpdate(5, Vec2(1.5f, 2.5f), 16, s1, s2, s3, 100);
    EXPECT_EQ("0 0 0 0 0", Join(moved, s1, s2, s3));
    Run("results = {42, 7, 8, 9} log = {}");
    s1 = 1, s2 = 2, s3 = 3;
    EXPECT_EQ(42.0f, scripts->EnemyOnHit(6, Vec2(3, 4), 50, 12.5f, s1, s2, s3, -20));
    EXPECT_EQ("hit 6 3 4 50 12.5 1 2 3 -20", TakeLog());
    EXPECT_EQ("7 8 9", Join(s1, s2, s3));
    const std::pair<const char*, bool> deaths[] = {{"{true}", true}, {"{false}", false}, {"{}", false}, {"{0}", true}};
    for (auto [result, wreck] : deaths) {
        Run(std::string("results = ") + result);
        EXPECT_EQ(wreck, scripts->EnemyOnDeath(8, Vec2(5, 6), 1, 2, 3, 400)) << result;
        EXPECT_EQ("death 8 5 6 1 2 3 400", TakeLog());
    }
    EXPECT_EQ(1, Top());
}

TEST_F(ScriptManagerTest, UpdatePassesThePlayersPositionAndTheFrameTimeAndLooksItUpEachCall)
{
    Start("function Update(x, y, dt) Log(x, y, dt) return 1, 2, 3 end\n");
    scripts->Update(16);  // no player yet: the origin
    UseWorld();
    actors.GetPlayer()->SetPosition(Vec2(12.5f, 340));
    scripts->Update(17);
    Run("function Update(x, y, dt) Log('new') end");
    scripts->Update(17);
    EXPECT_EQ("0 0 16 | 12.5 340 17 | new", TakeLog());
    EXPECT_EQ(1, Top());  // results of Update are dropped
}

// Every protected call that fails keeps the object's values, restores the
// stack, and reports its message once on stderr with the entry point's name.
TEST_F(ScriptManagerTest, FailedCallsKeepValuesRestoreTheStackAndReportOnce)
{
    Start("function WeaponDoUpdate() error('weapon broke') end\n"
          "function EnemyDoUpdate() error('move broke') end\n"
          "function EnemyOnHit() error({}) end\n"
          "function EnemyOnDeath() error('death broke') end\n"
          "Update = nil setmetatable(_G, {__index = function(t, k) if k == 'Update' then error('no global ' .. k) end end})\n"
          "function WeaponLoadScript() error('load broke') end\n"
          "EnemyLoadScript = nil\n");
    Weapon weapon("Vulcan Cannon", 3, 1);
    weapon.SetState2(2);
    const std::string errors = Stderr([&] {
        for (int frame = 0; frame < 3; ++frame) {
            scripts->WeaponDoUpdate(&weapon, 16);
            EXPECT_EQ("0 2 0", States(weapon));
            EXPECT_EQ(1, Top());
            float s1 = 4, s2 = 5, s3 = 6;
            EXPECT_EQ("7 8", Join(scripts->EnemyDoUpdate(1, Vec2(7, 8), 16, s1, s2, s3, 10)));
            EXPECT_EQ(1, Top());
            EXPECT_EQ(33.0f, scripts->EnemyOnHit(1, Vec2(7, 8), 33, 5, s1, s2, s3, 10));
            EXPECT_EQ("4 5 6", Join(s1, s2, s3));
            EXPECT_EQ(1, Top());
            EXPECT_FALSE(scripts->EnemyOnDeath(1, Vec2(7, 8), s1, s2, s3, 10));
            scripts->Update(16);
            EXPECT_EQ(0, scripts->WeaponLoadScript("w.lua") + scripts->EnemyLoadScript("e.lua"));
            EXPECT_EQ(1, Top());
        }
    });
    EXPECT_EQ(21, scripts->GetErrorCount());
    for (const char* text : {"Script error in WeaponDoUpdate: ", "weapon broke", "Script error in EnemyDoUpdate: ",
                             "move broke", "Script error in EnemyOnHit: (error object is a table value)",
                             "Script error in EnemyOnDeath: ", "death broke", "Script error in Update: ",
                             "no global Update", "Script error in WeaponLoadScript: ", "load broke",
                             "Script error in EnemyLoadScript: attempt to call a nil value"})
        EXPECT_NE(std::string::npos, errors.find(text)) << text << "\n" << errors;
    EXPECT_EQ(7u, CountLines(errors)) << errors;  // seven distinct failures, each reported once
}

TEST_F(ScriptManagerTest, DistinctMessagesAreReportedButTheirNumberIsBounded)
{
    Start("n = 0\nfunction Update() n = n + 1 error('failure number ' .. n) end\n");
    const std::string errors = Stderr([&] {
        for (int i = 0; i < 500; ++i)
            scripts->Update(16);
    });
    EXPECT_EQ(101u, CountLines(errors));  // a hundred messages and one line saying the rest are not shown
    EXPECT_NE(std::string::npos, errors.find("failure number 100\n"));
    EXPECT_EQ(std::string::npos, errors.find("failure number 101\n"));
    EXPECT_EQ(500, scripts->GetErrorCount());
}

TEST_F(ScriptManagerTest, ShootingFunctionsCreateBulletsOfTheTruncatedTypeAndRefuseOthers)
{
    Start("");
    UseWorld();
    Run("Vantrel.ShootPlayerPlasma(1.9, 10, 20, 0.5, -1, 7) Vantrel.ShootPlayerPlasma(-0.5, 1, 2, 3, 4, 5)"
        " Vantrel.ShootEnemyPlasma('2', 30, 40, -1, 0, 9)");
    ASSERT_EQ(2u, bullets.GetPlayerBullets().size());
    ASSERT_EQ(1u, bullets.GetEnemyBullets().size());
    const Bullet &first = *bullets.GetPlayerBullets()[0], &second = *bullets.GetPlayerBullets()[1],
                 &enemy = *bullets.GetEnemyBullets()[0];
    // Size and radius of type 1, position, velocity, strength; then types 0 and 2.
    EXPECT_EQ("3 4 10 20 0.5 -1 7", Join(first.GetSize(), first.GetRadius(), first.GetPosition(),
                                         first.GetVelocity(), first.GetStrength()));
    EXPECT_EQ("1 5 9", Join(second.GetSize(), enemy.GetSize(), enemy.GetStrength()));
    // A type outside the table is refused with a line, once per number, and the script goes on.
    const std::string errors = Stderr([&] {
        Run("for _, t in ipairs({3, -1, 1e12, 0/0, 3, 'x'}) do Vantrel.ShootPlayerPlasma(t, 0, 0, 0, 1, 1) end\n"
            "Vantrel.ShootEnemyPlasma(17, 0, 0, 0, 1, 1) after = true");
    });
    ASSERT_EQ(3u, bullets.GetPlayerBullets().size());  // 'x' reads as 0, the only valid one
    EXPECT_EQ(1, bullets.GetPlayerBullets()[2]->GetSize());
    EXPECT_EQ(1u, bullets.GetEnemyBullets().size());
    EXPECT_EQ("true", Eval("after"));
    EXPECT_NE(std::string::npos, errors.find("No bullet type 3 (the table has 3); the shot is ignored\n"));
    EXPECT_NE(std::string::npos, errors.find("No bullet type 17 "));
    EXPECT_NE(std::string::npos, errors.find("No bullet type -1 "));
    EXPECT_EQ(errors.find("No bullet type 3 "), errors.rfind("No bullet type 3 "));  // once per number
}

TEST_F(ScriptManagerTest, SpawnEnemyUsesTheLastSixArguments)
{
    Start("function EnemyLoadScript(path) return 5 end\n");
    UseWorld();
    LoadEnemyTypes(actors, "grunt\nm.obj\nt.png\ns.lua\n40\n10\n42\nm.obj\nt.png\ns.lua\n20\n3\n");
    Run("Vantrel.SpawnEnemy('grunt', 100, 3000, 1.5, 2.5, 500)\n"
        "Vantrel.SpawnEnemy('ignored', 'grunt', 1, 2, 3, 4, 5)\n"
        "Vantrel.SpawnEnemy(42, 7, 8, 0, 0, 0)\n"  // a number names the type by its text
        "for _, t in ipairs({'nobody', {}, 'grunt\\0x'}) do Vantrel.SpawnEnemy(t, 7, 8, 0, 0, 0) end");
    const auto& enemies = actors.GetEnemies();
    ASSERT_EQ(3u, enemies.size());
    auto describe = [](const Enemy& e) {
        return Join(e.GetType()->GetName(), e.GetPosition(), e.GetState1(), e.GetState2(), e.GetState3(),
                    e.GetTimer(), e.GetHealth(), e.GetRadius());
    };
    EXPECT_EQ("grunt 100 3000 1.5 2.5 0 -500 10 20", describe(*enemies[0]));
    EXPECT_EQ("grunt 1 2 3 4 0 -5 10 20", describe(*enemies[1]));
    EXPECT_EQ("42", enemies[2]->GetType()->GetName());
}

TEST_F(ScriptManagerTest, GameFunctionsRefuseTooFewArgumentsAndReturnNothing)
{
    Start("");
    UseWorld();
    const std::pair<const char*, const char*> cases[] = {
        {"Vantrel.ShootPlayerPlasma(0, 1, 2, 3, 4)",
         "Vantrel.ShootPlayerPlasma expects 6 arguments (type, x, y, velocityX, velocityY, strength), got 5"},
        {"Vantrel.ShootEnemyPlasma()",
         "Vantrel.ShootEnemyPlasma expects 6 arguments (type, x, y, velocityX, velocityY, strength), got 0"},
        {"Vantrel.Explode(1, 2, 3)", "Vantrel.Explode expects 4 arguments (x, y, size, delay), got 3"},
        {"Vantrel.SpawnEnemy('a', 1)",
         "Vantrel.SpawnEnemy expects 6 arguments (type, x, y, state1, state2, delay), got 2"},
    };
    for (auto [call, message] : cases) {
        // Called with values of the caller's own on the stack just below.
        Run(std::string("local a, b, c, d, e, f = 1, 2, 3, 4, 5, 6 ok, message = pcall(function() ") + call + " end)");
        EXPECT_EQ("false", Eval("ok")) << call;
        EXPECT_NE(std::string::npos, Eval("message").find(message)) << Eval("message");
    }
    EXPECT_EQ(0u, bullets.GetPlayerBullets().size() + bullets.GetEnemyBullets().size() + actors.GetEnemies().size());
    for (const char* call : {"Vantrel.ShootPlayerPlasma(0, 1, 2, 3, 4, 5)", "Vantrel.Explode(0, 500, 2, 0)",
                             "Vantrel.SpawnEnemy('x', 0, 0, 0, 0, 0)"})
        EXPECT_EQ("0", Eval(std::string("select('#', ") + call + ")")) << call;
    GraphicalEffects effects;
    GlobalInfo::Instance().SetEffects(&effects);
    Run("Vantrel.Explode(0, 500, 2, 0)");
    EXPECT_EQ(1u, effects.GetEffectCount());
}

TEST_F(ScriptManagerTest, GameFunctionsCalledFromEntryPointsLeaveTheStackBalanced)
{
    Start("function Update(x, y, dt)\n"
          "  Vantrel.ShootPlayerPlasma(0, x, y, 0, 1, 1) Vantrel.ShootEnemyPlasma(1, x, y, 0, -1, 1)\n"
          "  Vantrel.Explode(x, y, 10, 0) Vantrel.SpawnEnemy('none', x, y, 0, 0, 0)\n"
          "  Vantrel.ShootPlayerPlasma(0, 1)\n"  // fails: the rest of Update is skipped
          "  Log('unreachable')\n"
          "end\n");
    UseWorld();
    const std::string errors = Stderr([&] {
        for (int i = 0; i < 10; ++i) {
            scripts->Update(16);
            ASSERT_EQ(1, Top());
        }
    });
    EXPECT_NE(std::string::npos, errors.find("Script error in Update: "));
    EXPECT_NE(std::string::npos, errors.find("Vantrel.ShootPlayerPlasma expects 6 arguments"));
    EXPECT_EQ("10 10", Join(bullets.GetPlayerBullets().size(), bullets.GetEnemyBullets().size()));
    EXPECT_EQ("", TakeLog());
}

}  // namespace
