#include <cmath>
#include <sstream>

#include "game/Actors.h"
#include "game/Bullets.h"
#include "render/Model.h"
#include "tests/game/GameplayFixture.h"

namespace {

// Enemies are told apart in the log by their state1, which the scripts keep.
const char* const kScript =
    "weapons = 0\n"
    "function WeaponLoadScript(path) weapons = weapons + 1 return weapons end\n"
    "function EnemyLoadScript(path) Log('load', path) return 7 end\n"
    "function WeaponDoUpdate(h, l, dt, a, b, c) Log('weapon', h) return a, b, c end\n"
    "function Update(x, y, dt) Log('update') end\n"
    "function EnemyDoUpdate(h, x, y, dt, a, b, c, t)\n"
    "  Log('do', a, t)\n"
    "  if onDo then onDo(a, x, y) end\n"
    "  return x, y, a, b, c\n"
    "end\n"
    "function EnemyOnHit(h, x, y, health, damage, a, b, c, t)\n"
    "  Log('hit', a, damage)\n"
    "  if onHit then return onHit(health, damage, a, x, y), a, b, c end\n"
    "  return health - damage, a, b, c\n"
    "end\n"
    "function EnemyOnDeath(h, x, y, a, b, c, t) Log('death', a) return false end\n";

// "grunt": size 40 (radius 20), 10 hit points. "brute": size 85, 50 hit points.
const char* const kTypes =
    "# a small one\ngrunt\ngrunt.obj\ngrunt.png\ngrunt.lua\n40\n10\n"
    "# a big one\nbrute\nbrute.obj\nbrute.png\nbrute.lua\n85\n50\n";

class ActorsTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start(kScript);
        actors = std::make_unique<Actors>();
        GlobalInfo::Instance().SetActors(actors.get());
        std::istringstream types(kTypes);
        CaptureStdout([&] { actors->LoadEnemyTypes(types, "types"); });
        // Type 0: radius 5.
        std::istringstream bulletTypes("shot.png\n4 5\n");
        CaptureStdout([&] { bullets.LoadBulletTypes(bulletTypes, "bullets"); });
        GlobalInfo::Instance().SetBullets(&bullets);
        GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
        actors->GetPlayer()->SetPosition(Vec2(5000, 1000));  // out of everyone's way
        TakeLog();
    }

    void TearDown() override
    {
        actors.reset();
        GameplayTest::TearDown();
    }

    // An enemy identified by `id` (its state1), started at once.
    void Spawn(float id, const Vec2& at, const char* type = "grunt", float delay = 0)
    {
        actors->SpawnEnemy(type, at, id, 0, delay);
    }

    std::string Ids() const
    {
        std::string ids;
        for (const auto& enemy : actors->GetEnemies())
            ids += (ids.empty() ? "" : " ") + std::to_string(static_cast<int>(enemy->GetState1()));
        return ids;
    }

    std::unique_ptr<Actors> actors;
    Bullets bullets;
};

TEST_F(ActorsTest, LoadsEnemyTypesInFileOrder)
{
    std::vector<std::string> requests;
    Assets::Source source = Assets::NullSource();
    source.loadModel = [&](const std::string& path) {
        requests.push_back("model " + path);
        return std::make_unique<Model>();
    };
    source.getTexture = [&](const std::string& name) -> Texture* {
        requests.push_back("texture " + name);
        return nullptr;
    };
    source.getShader = [&](const std::string& name) -> Shader* {
        requests.push_back("shader " + name);
        return nullptr;
    };
    Assets::SetSource(source);

    Actors fresh;
    requests.clear();  // the player's own models
    TakeLog();
    const std::string path = dir.Write("types.txt", kTypes);
    const std::string output = CaptureStdout([&] { EXPECT_TRUE(fresh.LoadEnemyTypes(path)); });
    EXPECT_EQ("  Loading enemy types...\n    Loaded grunt\n    Loaded brute\n", output);
    EXPECT_EQ("load grunt.lua | load brute.lua", TakeLog());
    const std::vector<std::string> expected = {
        "model grunt.obj", "shader enemy.shdr", "texture grunt.png",
        "model brute.obj", "shader enemy.shdr", "texture brute.png",
    };
    EXPECT_EQ(expected, requests);
    ASSERT_EQ(2u, fresh.GetEnemyTypes().size());
    const EnemyType& brute = *fresh.GetEnemyTypes()[1];
    EXPECT_EQ("brute", brute.GetName());
    EXPECT_EQ(7, brute.GetScriptHandle());
    EXPECT_EQ(85, brute.GetSize());
    EXPECT_EQ(50, brute.GetHealth());
    ASSERT_NE(nullptr, brute.GetModel());

    const std::string missing = CaptureStdout([&] { EXPECT_FALSE(fresh.LoadEnemyTypes(dir.Path() + "none")); });
    EXPECT_EQ("  Loading enemy types...\n  Couldn't open EnemyType file.\n", missing);
}

TEST_F(ActorsTest, EnemyTypeFileEdgeCases)
{
    struct Case {
        const char* text;
        const char* output;
        const char* loads;
    } cases[] = {
        // A '#' line inside a record is data: here it is the model path.
        {"odd\n# model\nt.png\nodd.lua\n30\n5\n", "    Loaded odd\n", "load odd.lua"},
        {"a\nm\nt\na.lua\n1\n1\n\n", "    Loaded a\n", "load a.lua"},
        // Cut short: dropped before its script is loaded.
        {"a\nm\nt\na.lua\n1\n1\nb\nm\nt\nb.lua\n1\n",
         "    Loaded a\n    Dropped an incomplete record at the end of level types\n", "load a.lua"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        Actors fresh;
        TakeLog();
        std::istringstream in(c.text);
        EXPECT_EQ(c.output, CaptureStdout([&] { fresh.LoadEnemyTypes(in, "level types"); })) << c.text;
        EXPECT_EQ(c.loads, TakeLog()) << c.text;
    }
}

TEST_F(ActorsTest, RadiusIsHalfTheSizeRoundedTowardZeroAndTheFirstOfTwoNamesWins)
{
    std::istringstream in("odd\nm\nt\ns\n85\n1\nneg\nm\nt\ns\n-5\n1\nodd\nm\nt\ns\n10\n1\n");
    CaptureStdout([&] { actors->LoadEnemyTypes(in, "types"); });
    Spawn(1, Vec2(), "odd");
    Spawn(2, Vec2(), "neg");
    EXPECT_EQ(42, actors->GetEnemies()[0]->GetRadius());
    EXPECT_EQ(-2, actors->GetEnemies()[1]->GetRadius());
    EXPECT_EQ(85, actors->FindEnemyType("odd")->GetSize());
    EXPECT_EQ(nullptr, actors->FindEnemyType("Odd"));
    EXPECT_EQ(nullptr, actors->FindEnemyType("od"));
}

TEST_F(ActorsTest, LoadsTheEnemyTimeline)
{
    struct Case {
        const char* text;
        const char* output;
        size_t enemies;
    } cases[] = {
        {"# first names no type\nnobody\n1 2\n3 4 5\n# then one\ngrunt\n100 3000\n0 1 500\n",
         "    Loaded 1 enemies\n", 1},
        {"grunt\n100 3000\n0 1 500\n\n", "    Loaded 1 enemies\n", 1},
        {"grunt\n1 2\n3 4 5\nbrute\n6 7\n",
         "    Dropped an incomplete record at the end of timeline\n    Loaded 1 enemies\n", 1},
        {"grunt\n1 2\n3 4 5\nbrute\n6 7\n8 9 10", "    Loaded 2 enemies\n", 2},
        {"", "    Loaded 0 enemies\n", 0},
    };
    for (const Case& c : cases) {
        Actors fresh;
        std::istringstream types(kTypes);
        CaptureStdout([&] { fresh.LoadEnemyTypes(types, "types"); });
        std::istringstream in(c.text);
        EXPECT_EQ(c.output, CaptureStdout([&] { EXPECT_TRUE(fresh.LoadEnemies(in, "timeline")); })) << c.text;
        EXPECT_EQ(c.enemies, fresh.GetEnemies().size()) << c.text;
    }

    const std::string path = dir.Write("enemies.txt", "grunt\n100 3000\n0 1 500\n");
    Actors fresh;
    std::istringstream types(kTypes);
    CaptureStdout([&] { fresh.LoadEnemyTypes(types, "types"); });
    EXPECT_EQ("  Loading enemies...\n    Loaded 1 enemies\n", CaptureStdout([&] { fresh.LoadEnemies(path); }));
    const Enemy& enemy = *fresh.GetEnemies()[0];
    EXPECT_EQ("grunt", enemy.GetType()->GetName());
    EXPECT_EQ(100.0f, enemy.GetPosition().x);
    EXPECT_EQ(3000.0f, enemy.GetPosition().y);
    EXPECT_EQ(0.0f, enemy.GetState1());
    EXPECT_EQ(1.0f, enemy.GetState2());
    EXPECT_EQ(0.0f, enemy.GetState3());
    EXPECT_EQ(-500.0f, enemy.GetTimer());
    EXPECT_EQ(10.0f, enemy.GetHealth());
    EXPECT_EQ("  Loading enemies...\n  Couldn't open Enemy file.\n",
              CaptureStdout([&] { EXPECT_FALSE(fresh.LoadEnemies(dir.Path() + "none")); }));
}

TEST_F(ActorsTest, ActivityAndDrawingWindowsAroundTheView)
{
    const Vec2 view(0, 1000);
    struct Case {
        float y;
        bool active, drawn, kept;
    } cases[] = {
        {1499, true, true, true},   {1500, false, false, true}, {501, true, true, true},
        {500, true, false, true},   {-999, true, false, true},  {-1000, false, false, true},
        {-1001, false, false, false},
    };
    float id = 1;
    for (const Case& c : cases) {
        EXPECT_EQ(c.active, Actors::IsActive(c.y, view)) << c.y;
        EXPECT_EQ(c.drawn, Actors::IsDrawn(c.y, view)) << c.y;
        Spawn(id++, Vec2(0, c.y));
    }
    actors->Update(16);
    // Only the active ones ran their scripts; the one behind the rear bound went.
    EXPECT_EQ("weapon 1 | weapon 2 | do 1 16 | do 3 16 | do 4 16 | do 5 16", TakeLog());
    EXPECT_EQ("1 2 3 4 5 6", Ids());
    // The dormant ones' timers did not run.
    EXPECT_EQ(0.0f, actors->GetEnemies()[1]->GetTimer());
    EXPECT_EQ(0.0f, actors->GetEnemies()[5]->GetTimer());
}

TEST_F(ActorsTest, BulletsHitAtExactlyTheSumOfTheRadii)
{
    Spawn(1, Vec2(0, 1000));                                     // radius 20
    bullets.AddPlayerBullet(0, Vec2(15, 1020), Vec2(), 3);       // distance 25 = 20 + 5: a hit
    bullets.AddPlayerBullet(0, Vec2(15, 1020.01f), Vec2(), 3);   // just beyond: a miss
    bullets.AddPlayerBullet(0, Vec2(-25, 1000), Vec2(), 4);      // a hit
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | hit 1 3 | hit 1 4 | do 1 16", TakeLog());
    EXPECT_EQ(3.0f, actors->GetEnemies()[0]->GetHealth());
    // Each bullet lost what the enemy had left after its hit.
    EXPECT_EQ(0.0f, bullets.GetPlayerBullets()[0]->GetStrength());  // 3 - 7
    EXPECT_EQ(3.0f, bullets.GetPlayerBullets()[1]->GetStrength());
    EXPECT_EQ(1.0f, bullets.GetPlayerBullets()[2]->GetStrength());  // 4 - 3
}

TEST_F(ActorsTest, TwoBulletsKillInOnePassAndDeathIsCalledOnce)
{
    Spawn(1, Vec2(0, 1000));
    Spawn(2, Vec2(300, 1000));
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 6);
    bullets.AddPlayerBullet(0, Vec2(1, 1000), Vec2(), 6);
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | hit 1 6 | hit 1 6 | do 1 16 | death 1 | do 2 16", TakeLog());
    EXPECT_EQ("2", Ids());
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | do 2 32", TakeLog());
}

TEST_F(ActorsTest, ANaNHealthStillDiesOnceWithItsDeathCall)
{
    Run("function onHit(health, damage) return 0/0 end");
    Spawn(1, Vec2(0, 1000));
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 1);
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | hit 1 1 | do 1 16 | death 1", TakeLog());
    EXPECT_EQ("", Ids());
}

TEST_F(ActorsTest, ContactCostsTheFrameTimeAndAContactKillIsRemovedNextFrame)
{
    Player& player = *actors->GetPlayer();
    player.SetPosition(Vec2(0, 1000));
    Spawn(1, Vec2(30, 1000));  // 42 + 20 >= 30
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | do 1 16 | hit 1 16", TakeLog());
    // Shield first.
    EXPECT_EQ(100.0f, player.GetHealth());
    EXPECT_NEAR(14.0f, player.GetShield(), 1e-4);
    EXPECT_EQ(-6.0f, actors->GetEnemies()[0]->GetHealth());
    EXPECT_EQ("1", Ids());  // dead, but only found so in the next update
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | do 1 32 | death 1", TakeLog());
    EXPECT_EQ("", Ids());
}

TEST_F(ActorsTest, OrderOfScriptCallsWithinAFrame)
{
    Player& player = *actors->GetPlayer();
    player.SetPosition(Vec2(600, 1000));
    Spawn(1, Vec2(0, 1000));
    Spawn(2, Vec2(600, 1010));  // touches the player
    Spawn(3, Vec2(-300, 1000), "grunt", 100);  // still waiting
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 2);
    bullets.AddPlayerBullet(0, Vec2(-300, 1000), Vec2(), 1);
    bullets.AddPlayerBullet(0, Vec2(0, 1001), Vec2(), 20);
    scripts->Update(16);
    actors->Update(16);
    bullets.Update(16);
    EXPECT_EQ("update | weapon 1 | weapon 2 | hit 1 2 | hit 1 20 | do 1 16 | death 1 | do 2 16 | hit 2 16 | "
              "hit 3 1",
              TakeLog());
    // A waiting enemy can be hit; it is not moved.
    EXPECT_EQ(-84.0f, actors->GetEnemies()[1]->GetTimer());
}

TEST_F(ActorsTest, AnEnemySpawnedDuringThePassIsUpdatedLaterInTheSamePass)
{
    Run("function onDo(id, x, y)\n"
        "  if id == 1 then\n"
        "    for i = 1, 600 do Vantrel.SpawnEnemy('brute', 0, 9000, 2000 + i, 0, 0) end\n"
        "    Vantrel.SpawnEnemy('grunt', x, y, 99, 0, 0)\n"
        "    Vantrel.SpawnEnemy('grunt', x, y, 98, 0, 50)\n"
        "    Vantrel.SpawnEnemy('grunt', x, y - 5000, 97, 0, 0)\n"
        "  end\n"
        "end");
    Spawn(1, Vec2(0, 1000));
    Spawn(2, Vec2(0, 1100));
    actors->Update(16);  // the 600 appends move the array under the pass
    const std::string log = TakeLog();
    EXPECT_NE(std::string::npos, log.find("do 1 16 | do 2 16 | do 99 16"));
    EXPECT_EQ(std::string::npos, log.find("do 98"));  // waiting for its delay
    EXPECT_EQ(std::string::npos, log.find("do 97"));  // born behind the window and removed at once
    EXPECT_EQ(2u + 600 + 2, actors->GetEnemies().size());
}

TEST_F(ActorsTest, ABulletFiredDuringAHitIsTestedInTheSamePass)
{
    // A hit of 3 fires a bullet of 4 at the enemy; its hit comes after the others.
    Run("function onHit(health, damage, id, x, y)\n"
        "  if damage == 3 then Vantrel.ShootPlayerPlasma(0, x, y, 0, 0, 4) end\n"
        "  return health - damage\n"
        "end");
    Spawn(1, Vec2(0, 1000));
    for (int i = 0; i < 100; ++i)  // enough for the grid
        bullets.AddPlayerBullet(0, Vec2(400, 1000 + static_cast<float>(i)), Vec2(), 1);
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 3);
    bullets.AddPlayerBullet(0, Vec2(0, 1001), Vec2(), 1);
    actors->Update(16);
    EXPECT_EQ("weapon 1 | weapon 2 | hit 1 3 | hit 1 1 | hit 1 4 | do 1 16", TakeLog());
    EXPECT_EQ(2.0f, actors->GetEnemies()[0]->GetHealth());
}

TEST_F(ActorsTest, ADelayedEnemyFirstRunsWhenItsTimerPassesZero)
{
    Spawn(1, Vec2(0, 1000), "grunt", 1000);
    for (int i = 0; i < 4; ++i)
        actors->Update(300);
    EXPECT_EQ("weapon 1 | weapon 2 | weapon 1 | weapon 2 | weapon 1 | weapon 2 | weapon 1 | weapon 2 | do 1 200",
              TakeLog());
}

TEST_F(ActorsTest, AnEnemyWhoseScriptKeepsItsHealthCannotBeKilled)
{
    Run("function onHit(health, damage) return health end");
    Player& player = *actors->GetPlayer();
    player.SetPosition(Vec2(0, 1000));
    Spawn(1, Vec2(0, 1000));
    for (int i = 0; i < 20; ++i) {
        bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 100);
        actors->Update(16);
    }
    EXPECT_EQ("1", Ids());
    EXPECT_EQ(10.0f, actors->GetEnemies()[0]->GetHealth());
}

TEST_F(ActorsTest, PassedEnemiesAreRemovedWithoutTheirDeathCall)
{
    Spawn(1, Vec2(0, 1000));
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 3001));
    actors->Update(16);
    EXPECT_EQ("", Ids());
    EXPECT_EQ("weapon 1 | weapon 2", TakeLog());
}

}  // namespace
