#include <cmath>
#include <cstdio>
#include <sstream>

#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "game/Weapon.h"
#include "tests/game/GameplayFixture.h"

namespace {

class ScriptManagerTest : public GameplayTest {
protected:
    // A bullet table of three types, registered for the script functions.
    Bullets& UseBullets()
    {
        bullets = std::make_unique<Bullets>();
        std::istringstream in("a.png\n1 2\nb.png\n3 4\nc.png\n5 6\n");
        CaptureStdout([&] { bullets->LoadBulletTypes(in, "types"); });
        GlobalInfo::Instance().SetBullets(bullets.get());
        return *bullets;
    }

    void TearDown() override
    {
        actors.reset();
        bullets.reset();
        GameplayTest::TearDown();
    }

    std::unique_ptr<Bullets> bullets;
    std::unique_ptr<Actors> actors;
};

TEST_F(ScriptManagerTest, ConstructionPublishesTheVantrelTableAndRunsTheMainScriptOnce)
{
    Start("runs = (runs or 0) + 1\n");
    EXPECT_EQ("1", Eval("runs"));
    for (const char* name : {"ShootEnemyPlasma", "ShootPlayerPlasma", "Explode", "SpawnEnemy"})
        EXPECT_EQ("function", Eval(std::string("type(Vantrel.") + name + ")")) << name;
    EXPECT_EQ("true", Eval("package.loaded.Vantrel == Vantrel"));
    // The registry metatable points at the table both ways.
    EXPECT_EQ("true", Eval("debug.getregistry().Vantrel.__index == Vantrel"));
    EXPECT_EQ("true", Eval("debug.getregistry().Vantrel.__metatable == Vantrel"));
    // The table itself stays on the stack and is all that is there.
    ASSERT_EQ(1, Top());
    lua_getglobal(L(), "Vantrel");
    EXPECT_TRUE(lua_rawequal(L(), 1, -1));
    lua_pop(L(), 1);
}

TEST_F(ScriptManagerTest, MissingMainScriptIsReportedAndLeavesEveryCallHarmless)
{
    ::testing::internal::CaptureStderr();
    ScriptManager manager(dir.Path() + "no-such-main.lua");
    ScriptManager::SetInstanceForTesting(&manager);
    EXPECT_EQ(1, lua_gettop(manager.GetState()));
    EXPECT_EQ(0, manager.WeaponLoadScript("w.lua"));
    EXPECT_EQ(0, manager.EnemyLoadScript("e.lua"));
    Weapon weapon("Vulcan Cannon", 4, 1);
    weapon.SetState1(5);
    manager.WeaponDoUpdate(&weapon, 16);
    manager.Update(16);
    EXPECT_EQ(5.0f, weapon.GetState1());
    EXPECT_EQ(1, lua_gettop(manager.GetState()));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("Script error in main script " + dir.Path() + "no-such-main.lua"));
    EXPECT_NE(std::string::npos, errors.find("Script error in WeaponLoadScript: "));
    EXPECT_NE(std::string::npos, errors.find("Script error in Update: "));
    ScriptManager::SetInstanceForTesting(nullptr);
}

TEST_F(ScriptManagerTest, LoadScriptsPassThePathAndRoundTheHandle)
{
    Start("function WeaponLoadScript(path) Log('weapon', path) return result end\n"
          "function EnemyLoadScript(path) Log('enemy', path) return result end\n");
    struct Case {
        const char* result;
        int handle;
    } cases[] = {
        {"2.6", 3}, {"2.4", 2}, {"-2.6", -3}, {"7", 7}, {"'12'", 12}, {"'abc'", 0},
        {"nil", 0}, {"{}", 0},  {"true", 0},  {"1e20", 0}, {"0/0", 0},
    };
    for (const Case& c : cases) {
        Run(std::string("result = ") + c.result);
        const int top = Top();
        EXPECT_EQ(c.handle, scripts->WeaponLoadScript("data/w.lua")) << c.result;
        EXPECT_EQ(c.handle, scripts->EnemyLoadScript("data/e.lua")) << c.result;
        EXPECT_EQ(top, Top());
        EXPECT_EQ("weapon data/w.lua | enemy data/e.lua", TakeLog());
    }
}

TEST_F(ScriptManagerTest, WeaponDoUpdateHandsStateInAndTakesThreeResultsBack)
{
    Start("function WeaponDoUpdate(h, l, dt, a, b, c) Log(h, l, dt, a, b, c) return unpack(results) end\n");
    Weapon weapon("Vulcan Cannon", 7, 1);
    struct Case {
        const char* results;
        float s1, s2, s3;
    } cases[] = {
        {"{1.5, 2.5, 3.5}", 1.5f, 2.5f, 3.5f},
        {"{4, 5, 6, 99}", 4, 5, 6},  // extra results are dropped
        {"{8}", 8, 0, 0},            // missing ones read as 0
        {"{}", 0, 0, 0},             // nothing resets all three
        {"{'x', '2', 0.1}", 0, 2, 0.1f},
    };
    Run("results = {0, 0, 0}");
    scripts->WeaponDoUpdate(&weapon, 16);
    EXPECT_EQ("7 1 16 0 0 0", TakeLog());  // a new weapon hands (handle, 1, dt, 0, 0, 0)
    for (const Case& c : cases) {
        weapon.SetLevel(4);
        Run(std::string("results = ") + c.results);
        scripts->WeaponDoUpdate(&weapon, 20);
        EXPECT_EQ(c.s1, weapon.GetState1()) << c.results;
        EXPECT_EQ(c.s2, weapon.GetState2()) << c.results;
        EXPECT_EQ(c.s3, weapon.GetState3()) << c.results;
        EXPECT_EQ(1, Top());
        TakeLog();
    }
    // What the script returned comes back to it next frame, in single precision.
    Run("results = {1/3, 0, 0}");
    weapon.SetState1(0);
    weapon.SetState2(0);
    weapon.SetState3(0);
    scripts->WeaponDoUpdate(&weapon, 20);
    scripts->WeaponDoUpdate(&weapon, 20);
    char narrowed[64];
    snprintf(narrowed, sizeof narrowed, "%.14g", static_cast<double>(1.0f / 3.0f));  // Lua's number format
    EXPECT_EQ(std::string("7 4 20 0 0 0 | 7 4 20 ") + narrowed + " 0 0", TakeLog());
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
    EXPECT_EQ(10.0f, moved.x);
    EXPECT_EQ(20.0f, moved.y);
    EXPECT_EQ(11.0f, s1);
    EXPECT_EQ(12.0f, s2);
    EXPECT_EQ(13.0f, s3);

    // Returning nothing moves the enemy to (0, 0) and zeroes its states.
    Run("results = {}");
    moved = scripts->EnemyDoUpdate(5, Vec2(1.5f, 2.5f), 16, s1, s2, s3, 100);
    EXPECT_EQ(0.0f, moved.x);
    EXPECT_EQ(0.0f, moved.y);
    EXPECT_EQ(0.0f, s1 + s2 + s3);
    TakeLog();

    Run("results = {42, 7, 8, 9}");
    s1 = 1, s2 = 2, s3 = 3;
    EXPECT_EQ(42.0f, scripts->EnemyOnHit(6, Vec2(3, 4), 50, 12.5f, s1, s2, s3, -20));
    EXPECT_EQ("hit 6 3 4 50 12.5 1 2 3 -20", TakeLog());
    EXPECT_EQ(7.0f, s1);
    EXPECT_EQ(8.0f, s2);
    EXPECT_EQ(9.0f, s3);

    struct Case {
        const char* result;
        bool wreck;
    } deaths[] = {{"{true}", true}, {"{false}", false}, {"{}", false}, {"{0}", true}, {"{'no'}", true}};
    for (const Case& c : deaths) {
        Run(std::string("results = ") + c.result);
        EXPECT_EQ(c.wreck, scripts->EnemyOnDeath(8, Vec2(5, 6), 1, 2, 3, 400)) << c.result;
        EXPECT_EQ("death 8 5 6 1 2 3 400", TakeLog());
    }
    EXPECT_EQ(1, Top());
}

TEST_F(ScriptManagerTest, UpdatePassesThePlayersPositionAndTheFrameTime)
{
    Start("function Update(x, y, dt) Log(x, y, dt) return 1, 2, 3 end\n");
    scripts->Update(16);  // no player yet: the origin
    actors = std::make_unique<Actors>();
    actors->GetPlayer()->SetPosition(Vec2(12.5f, 340));
    scripts->Update(17);
    EXPECT_EQ("0 0 16 | 12.5 340 17", TakeLog());
    EXPECT_EQ(1, Top());  // results of Update are dropped
}

TEST_F(ScriptManagerTest, EntryPointsAreLookedUpByNameOnEveryCall)
{
    Start("function WeaponDoUpdate() return 1, 1, 1 end\n");
    Weapon weapon("Vulcan Cannon", 0, 1);
    scripts->WeaponDoUpdate(&weapon, 16);
    EXPECT_EQ(1.0f, weapon.GetState1());
    Run("function WeaponDoUpdate() return 2, 2, 2 end");
    scripts->WeaponDoUpdate(&weapon, 16);
    EXPECT_EQ(2.0f, weapon.GetState1());
}

// Every protected call that fails keeps the object's values, restores the
// stack, and reports its message once on stderr with the entry point's name.
TEST_F(ScriptManagerTest, FailedCallsKeepValuesRestoreTheStackAndReportOnce)
{
    Start("function WeaponDoUpdate() error('weapon broke') end\n"
          "function EnemyDoUpdate() error('move broke') end\n"
          "function EnemyOnHit() error({}) end\n"
          "function EnemyOnDeath() error('death broke') end\n"
          "function Update() error('update broke') end\n"
          "function WeaponLoadScript() error('load broke') end\n"
          "EnemyLoadScript = nil\n");
    Weapon weapon("Vulcan Cannon", 3, 1);
    weapon.SetState1(1);
    weapon.SetState2(2);
    weapon.SetState3(3);
    const int top = Top();

    ::testing::internal::CaptureStderr();
    for (int frame = 0; frame < 3; ++frame) {
        scripts->WeaponDoUpdate(&weapon, 16);
        EXPECT_EQ(1.0f, weapon.GetState1());
        EXPECT_EQ(2.0f, weapon.GetState2());
        EXPECT_EQ(3.0f, weapon.GetState3());
        EXPECT_EQ(top, Top());

        float s1 = 4, s2 = 5, s3 = 6;
        const Vec2 moved = scripts->EnemyDoUpdate(1, Vec2(7, 8), 16, s1, s2, s3, 10);
        EXPECT_EQ(7.0f, moved.x);
        EXPECT_EQ(8.0f, moved.y);
        EXPECT_EQ(top, Top());
        EXPECT_EQ(33.0f, scripts->EnemyOnHit(1, Vec2(7, 8), 33, 5, s1, s2, s3, 10));
        EXPECT_EQ(4.0f, s1);
        EXPECT_EQ(5.0f, s2);
        EXPECT_EQ(6.0f, s3);
        EXPECT_EQ(top, Top());
        EXPECT_FALSE(scripts->EnemyOnDeath(1, Vec2(7, 8), s1, s2, s3, 10));
        EXPECT_EQ(top, Top());
        scripts->Update(16);
        EXPECT_EQ(top, Top());
        EXPECT_EQ(0, scripts->WeaponLoadScript("w.lua"));
        EXPECT_EQ(0, scripts->EnemyLoadScript("e.lua"));
        EXPECT_EQ(top, Top());
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(21, scripts->GetErrorCount());

    const char* expected[] = {
        "Script error in WeaponDoUpdate: ", "weapon broke",
        "Script error in EnemyDoUpdate: ",  "move broke",
        "Script error in EnemyOnHit: (error object is a table value)",
        "Script error in EnemyOnDeath: ",   "death broke",
        "Script error in Update: ",         "update broke",
        "Script error in WeaponLoadScript: ", "load broke",
        "Script error in EnemyLoadScript: attempt to call a nil value",
    };
    for (const char* text : expected)
        EXPECT_NE(std::string::npos, errors.find(text)) << text << "\n" << errors;
    // Seven distinct failures, each reported once although each happened three times.
    size_t lines = 0;
    for (char c : errors)
        lines += c == '\n';
    EXPECT_EQ(7u, lines) << errors;
}

TEST_F(ScriptManagerTest, DistinctMessagesAreReportedButTheirNumberIsBounded)
{
    Start("n = 0\nfunction Update() n = n + 1 error('failure number ' .. n) end\n");
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 500; ++i)
        scripts->Update(16);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    size_t lines = 0;
    for (char c : errors)
        lines += c == '\n';
    EXPECT_EQ(101u, lines);  // a hundred messages and one line saying the rest are not shown
    EXPECT_NE(std::string::npos, errors.find("failure number 100\n"));
    EXPECT_EQ(std::string::npos, errors.find("failure number 101\n"));
    EXPECT_EQ(500, scripts->GetErrorCount());
    EXPECT_EQ(1, Top());
}

TEST_F(ScriptManagerTest, AFailingGlobalsLookupIsCaughtToo)
{
    Start("setmetatable(_G, {__index = function(t, k) error('no global ' .. k) end})\n");
    Run("WeaponDoUpdate = nil");
    Weapon weapon("Vulcan Cannon", 0, 1);
    weapon.SetState2(9);
    ::testing::internal::CaptureStderr();
    scripts->WeaponDoUpdate(&weapon, 16);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("no global WeaponDoUpdate")) << errors;
    EXPECT_EQ(9.0f, weapon.GetState2());
    EXPECT_EQ(1, Top());
}

TEST_F(ScriptManagerTest, ShootingFunctionsCreateBulletsOfTheTruncatedType)
{
    Start("");
    Bullets& b = UseBullets();
    Run("Vantrel.ShootPlayerPlasma(1.9, 10, 20, 0.5, -1, 7)");
    Run("Vantrel.ShootPlayerPlasma(-0.5, 1, 2, 3, 4, 5)");
    Run("Vantrel.ShootEnemyPlasma('2', 30, 40, -1, 0, 9)");
    ASSERT_EQ(2u, b.GetPlayerBullets().size());
    ASSERT_EQ(1u, b.GetEnemyBullets().size());
    const Bullet& first = *b.GetPlayerBullets()[0];
    EXPECT_EQ(3, first.GetSize());  // type 1
    EXPECT_EQ(4, first.GetRadius());
    EXPECT_EQ(10.0f, first.GetPosition().x);
    EXPECT_EQ(20.0f, first.GetPosition().y);
    EXPECT_EQ(0.5f, first.GetVelocity().x);
    EXPECT_EQ(-1.0f, first.GetVelocity().y);
    EXPECT_EQ(7.0f, first.GetStrength());
    EXPECT_EQ(1, b.GetPlayerBullets()[1]->GetSize());  // type 0
    EXPECT_EQ(5, b.GetEnemyBullets()[0]->GetSize());   // type 2
    EXPECT_EQ(9.0f, b.GetEnemyBullets()[0]->GetStrength());
}

TEST_F(ScriptManagerTest, ABulletTypeOutsideTheTableIsRefusedWithoutStoppingTheScript)
{
    Start("");
    Bullets& b = UseBullets();
    ::testing::internal::CaptureStderr();
    Run("for _, t in ipairs({3, -1, 1e12, 0/0, 3, 'x'}) do Vantrel.ShootPlayerPlasma(t, 0, 0, 0, 1, 1) end\n"
        "Vantrel.ShootEnemyPlasma(17, 0, 0, 0, 1, 1)\n"
        "after = true");
    const std::string errors = ::testing::internal::GetCapturedStderr();
    // 'x' reads as 0, the only valid one.
    ASSERT_EQ(1u, b.GetPlayerBullets().size());
    EXPECT_EQ(1, b.GetPlayerBullets()[0]->GetSize());
    EXPECT_TRUE(b.GetEnemyBullets().empty());
    EXPECT_EQ("true", Eval("after"));
    EXPECT_NE(std::string::npos, errors.find("No bullet type 3 (the table has 3); the shot is ignored\n"));
    EXPECT_NE(std::string::npos, errors.find("No bullet type 17 "));
    EXPECT_NE(std::string::npos, errors.find("No bullet type -1 "));
    EXPECT_EQ(errors.find("No bullet type 3 "), errors.rfind("No bullet type 3 "));  // once per number
}

TEST_F(ScriptManagerTest, SpawnEnemyUsesTheLastSixArguments)
{
    Start("function EnemyLoadScript(path) return 5 end\n");
    actors = std::make_unique<Actors>();
    GlobalInfo::Instance().SetActors(actors.get());
    std::istringstream types("grunt\nm.obj\nt.png\ns.lua\n40\n10\n42\nm.obj\nt.png\ns.lua\n20\n3\n");
    CaptureStdout([&] { actors->LoadEnemyTypes(types, "types"); });

    Run("Vantrel.SpawnEnemy('grunt', 100, 3000, 1.5, 2.5, 500)");
    Run("Vantrel.SpawnEnemy('ignored', 'grunt', 1, 2, 3, 4, 5)");
    Run("Vantrel.SpawnEnemy(42, 7, 8, 0, 0, 0)");  // a number names the type by its text
    Run("Vantrel.SpawnEnemy('nobody', 7, 8, 0, 0, 0)");
    Run("Vantrel.SpawnEnemy({}, 7, 8, 0, 0, 0)");
    Run("Vantrel.SpawnEnemy('grunt\\0x', 7, 8, 0, 0, 0)");
    const auto& enemies = actors->GetEnemies();
    ASSERT_EQ(3u, enemies.size());
    EXPECT_EQ("grunt", enemies[0]->GetType()->GetName());
    EXPECT_EQ(100.0f, enemies[0]->GetPosition().x);
    EXPECT_EQ(3000.0f, enemies[0]->GetPosition().y);
    EXPECT_EQ(1.5f, enemies[0]->GetState1());
    EXPECT_EQ(2.5f, enemies[0]->GetState2());
    EXPECT_EQ(0.0f, enemies[0]->GetState3());
    EXPECT_EQ(-500.0f, enemies[0]->GetTimer());
    EXPECT_EQ(10.0f, enemies[0]->GetHealth());
    EXPECT_EQ(20, enemies[0]->GetRadius());
    EXPECT_EQ(1.0f, enemies[1]->GetPosition().x);
    EXPECT_EQ(2.0f, enemies[1]->GetPosition().y);
    EXPECT_EQ(-5.0f, enemies[1]->GetTimer());
    EXPECT_EQ("42", enemies[2]->GetType()->GetName());
}

TEST_F(ScriptManagerTest, GameFunctionsRefuseTooFewArgumentsAndReturnNothing)
{
    Start("");
    Bullets& b = UseBullets();
    actors = std::make_unique<Actors>();
    GlobalInfo::Instance().SetActors(actors.get());
    struct Case {
        const char* call;
        const char* message;
    } cases[] = {
        {"Vantrel.ShootPlayerPlasma(0, 1, 2, 3, 4)",
         "Vantrel.ShootPlayerPlasma expects 6 arguments (type, x, y, velocityX, velocityY, strength), got 5"},
        {"Vantrel.ShootEnemyPlasma()",
         "Vantrel.ShootEnemyPlasma expects 6 arguments (type, x, y, velocityX, velocityY, strength), got 0"},
        {"Vantrel.Explode(1, 2, 3)", "Vantrel.Explode expects 4 arguments (x, y, size, delay), got 3"},
        {"Vantrel.SpawnEnemy('a', 1)",
         "Vantrel.SpawnEnemy expects 6 arguments (type, x, y, state1, state2, delay), got 2"},
    };
    for (const Case& c : cases) {
        // Called with values of the caller's own on the stack just below.
        Run(std::string("local a, b, c, d, e, f = 1, 2, 3, 4, 5, 6\n"
                        "ok, message = pcall(function() ") +
            c.call + " end)");
        EXPECT_EQ("false", Eval("ok")) << c.call;
        EXPECT_NE(std::string::npos, Eval("message").find(c.message)) << Eval("message");
    }
    EXPECT_TRUE(b.GetPlayerBullets().empty());
    EXPECT_TRUE(b.GetEnemyBullets().empty());
    EXPECT_TRUE(actors->GetEnemies().empty());

    EXPECT_EQ("0", Eval("select('#', Vantrel.ShootPlayerPlasma(0, 1, 2, 3, 4, 5))"));
    EXPECT_EQ("0", Eval("select('#', Vantrel.Explode(0, 500, 2, 0))"));
    EXPECT_EQ("0", Eval("select('#', Vantrel.SpawnEnemy('x', 0, 0, 0, 0, 0))"));
    // Explode with no effects container registered does nothing; with one it is handed over.
    GraphicalEffects effects;
    GlobalInfo::Instance().SetEffects(&effects);
    Run("Vantrel.Explode(0, 500, 2, 0)");
    EXPECT_EQ(1, Top());
}

TEST_F(ScriptManagerTest, GameFunctionsCalledFromEntryPointsLeaveTheStackBalanced)
{
    Start("function Update(x, y, dt)\n"
          "  Vantrel.ShootPlayerPlasma(0, x, y, 0, 1, 1)\n"
          "  Vantrel.ShootEnemyPlasma(1, x, y, 0, -1, 1)\n"
          "  Vantrel.Explode(x, y, 10, 0)\n"
          "  Vantrel.SpawnEnemy('none', x, y, 0, 0, 0)\n"
          "  Vantrel.ShootPlayerPlasma(0, 1)\n"  // fails: the rest of Update is skipped
          "  Log('unreachable')\n"
          "end\n");
    UseBullets();
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 10; ++i) {
        scripts->Update(16);
        ASSERT_EQ(1, Top());
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("Script error in Update: "));
    EXPECT_NE(std::string::npos, errors.find("Vantrel.ShootPlayerPlasma expects 6 arguments"));
    EXPECT_EQ(10u, bullets->GetPlayerBullets().size());
    EXPECT_EQ(10u, bullets->GetEnemyBullets().size());
    EXPECT_EQ("", TakeLog());
}

}  // namespace
