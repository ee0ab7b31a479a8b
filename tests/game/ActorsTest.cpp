#include "render/Model.h"
#include "render/Texture.h"
#include "tests/game/GameplayFixture.h"

namespace {

// Enemies are told apart in the log by their state1, which the scripts keep.
const char* const kScript =
    "function EnemyLoadScript(path) Log('load', path) return 7 end\n"
    "function Update(x, y, dt) Log('update') end\n"
    "function EnemyDoUpdate(h, x, y, dt, a, b, c, t) Log('do', a, t) if onDo then onDo(a, x, y) end return x, y, a, b, c end\n"
    "function EnemyOnHit(h, x, y, health, damage, a, b, c, t) Log('hit', a, damage)\n"
    "  return (onHit or function(health, damage) return health - damage end)(health, damage, a, x, y), a, b, c end\n"
    "function EnemyOnDeath(h, x, y, a, b, c, t) Log('death', a) return false end\n";

// "grunt": size 40 (radius 20), 10 hit points. "brute": size 85, 50 hit points.
const char* const kTypes = "# a small one\ngrunt\ngrunt.obj\ngrunt.png\ngrunt.lua\n40\n10\n"
                           "# a big one\nbrute\nbrute.obj\nbrute.png\nbrute.lua\n85\n50\n";

class ActorsTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start(kScript);
        actors = std::make_unique<Actors>();
        GlobalInfo::Instance().SetActors(actors.get());
        LoadEnemyTypes(*actors, kTypes);
        bullets = std::make_unique<Bullets>();
        LoadBulletTypes(*bullets, "shot.png\n4 5\n");  // type 0: radius 5
        GlobalInfo::Instance().SetBullets(bullets.get());
        GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
        actors->GetPlayer()->SetPosition(Vec2(5000, 1000));  // out of everyone's way
        TakeLog();
    }

    void TearDown() override
    {
        actors.reset();
        bullets.reset();
        GameplayTest::TearDown();
    }

    // An enemy identified by `id` (its state1).
    void Spawn(float id, const Vec2& at, const char* type = "grunt", float delay = 0)
    {
        actors->SpawnEnemy(type, at, id, 0, delay);
    }
    void Shoot(const Vec2& at, float strength) { bullets->AddPlayerBullet(0, at, Vec2(), strength); }

    std::string Ids() const
    {
        std::string ids;
        for (const auto& enemy : actors->GetEnemies())
            ids += (ids.empty() ? "" : " ") + std::to_string(static_cast<int>(enemy->GetState1()));
        return ids;
    }

    std::unique_ptr<Actors> actors;
    std::unique_ptr<Bullets> bullets;
};

TEST_F(ActorsTest, LoadsEnemyTypesInFileOrder)
{
    std::vector<std::string> requests;
    Assets::Source source = Assets::NullSource();
    source.loadModel = [&](const std::string& path) { return requests.push_back("model " + path), std::make_unique<Model>(); };
    Texture texture;
    source.getTexture = [&](const std::string& name) { return requests.push_back("texture " + name), &texture; };
    source.getShader = [&](const std::string& name) { return requests.push_back("shader " + name), (Shader*)nullptr; };
    Assets::SetSource(source);
    Actors fresh;
    requests.clear();  // the player's own models
    const std::string path = dir.Write("types.txt", kTypes);
    EXPECT_EQ("  Loading enemy types...\n    Loaded grunt\n    Loaded brute\n",
              CaptureStdout([&] { EXPECT_TRUE(fresh.LoadEnemyTypes(path)); }));
    EXPECT_EQ("load grunt.lua | load brute.lua", TakeLog());
    const std::vector<std::string> expected = {"model grunt.obj", "shader enemy.shdr", "texture grunt.png",
                                               "model brute.obj", "shader enemy.shdr", "texture brute.png"};
    EXPECT_EQ(expected, requests);
    ASSERT_EQ(2u, fresh.GetEnemyTypes().size());
    const EnemyType& brute = *fresh.GetEnemyTypes()[1];
    EXPECT_EQ("brute 7 85 50", Join(brute.GetName(), brute.GetScriptHandle(), brute.GetSize(), brute.GetHealth()));
    EXPECT_EQ("  Loading enemy types...\n  Couldn't open EnemyType file.\n  " + dir.Path() +
                  "none: cannot be opened: No such file or directory\n",
              CaptureStdout([&] { EXPECT_FALSE(fresh.LoadEnemyTypes(dir.Path() + "none")); }));
}

TEST_F(ActorsTest, EnemyTypeAndTimelineFilesDropATruncatedRecord)
{
    struct {
        bool timeline;
        const char* text;
        const char* output;
        const char* loads;  // types: scripts loaded; timeline: enemies placed
    } cases[] = {
        // A '#' line inside a record is data: here it is the model path.
        {false, "odd\n# model\nt.png\nodd.lua\n30\n5\n", "    Loaded odd\n", "load odd.lua"},
        {false, "a\nm\nt\na.lua\n1\n1\n\n", "    Loaded a\n", "load a.lua"},
        // Cut short: dropped before its script is loaded.
        {false, "a\nm\nt\na.lua\n1\n1\nb\nm\nt\nb.lua\n1\n",
         "    Loaded a\n    level:7: the file ends inside this record; the record is dropped\n", "load a.lua"},
        {false, "", "", ""},
        {true, "# first names no type\nnobody\n1 2\n3 4 5\ngrunt\n100 3000\n0 1 500\n\n",
         "    level:2: no enemy type is named \"nobody\"; the line is skipped\n    Loaded 1 enemies\n", "1"},
        {true, "grunt\n1 2\n3 4 5\nbrute\n6 7\n",
         "    level:4: the file ends inside this record; the record is dropped\n    Loaded 1 enemies\n", "1"},
        {true, "grunt\n1 2\n3 4 5\nbrute\n6 7\n8 9 10", "    Loaded 2 enemies\n", "2"},
        {true, "", "    Loaded 0 enemies\n", "0"},
    };
    for (const auto& c : cases) {
        Actors fresh;
        if (c.timeline)
            LoadEnemyTypes(fresh, kTypes);
        TakeLog();
        std::istringstream in(c.text);
        EXPECT_EQ(c.output, CaptureStdout([&] {
                      EXPECT_TRUE(c.timeline ? fresh.LoadEnemies(in, "level") : fresh.LoadEnemyTypes(in, "level"));
                  })) << c.text;
        EXPECT_EQ(c.loads, c.timeline ? std::to_string(fresh.GetEnemies().size()) : TakeLog()) << c.text;
    }
}

TEST_F(ActorsTest, TimelineFilePlacesEnemiesWithTheirDelay)
{
    Actors fresh;
    LoadEnemyTypes(fresh, kTypes);
    const std::string path = dir.Write("enemies.txt", "grunt\n100 3000\n0 1 500\n");
    EXPECT_EQ("  Loading enemies...\n    Loaded 1 enemies\n", CaptureStdout([&] { fresh.LoadEnemies(path); }));
    const Enemy& e = *fresh.GetEnemies()[0];
    EXPECT_EQ("grunt 100 3000 0 1 0 -500 10", Join(e.GetType()->GetName(), e.GetPosition(), e.GetState1(),
                                                   e.GetState2(), e.GetState3(), e.GetTimer(), e.GetHealth()));
    EXPECT_EQ("  Loading enemies...\n  Couldn't open Enemy file.\n  " + dir.Path() +
                  "none: cannot be opened: No such file or directory\n",
              CaptureStdout([&] { EXPECT_FALSE(fresh.LoadEnemies(dir.Path() + "none")); }));
}

TEST_F(ActorsTest, RadiusIsHalfTheSizeRoundedTowardZeroAndTheFirstOfTwoNamesWins)
{
    LoadEnemyTypes(*actors, "odd\nm\nt\ns\n85\n1\nneg\nm\nt\ns\n-5\n1\nodd\nm\nt\ns\n10\n1\n");
    Spawn(1, Vec2(), "odd");
    Spawn(2, Vec2(), "neg");
    EXPECT_EQ("42 -2", Join(actors->GetEnemies()[0]->GetRadius(), actors->GetEnemies()[1]->GetRadius()));
    EXPECT_TRUE(!actors->FindEnemyType("Odd") && !actors->FindEnemyType("od"));
}

TEST_F(ActorsTest, ActivityAndDrawingWindowsAroundTheView)
{
    const Vec2 view(0, 1000);
    const std::tuple<float, bool, bool> cases[] = {{1499, true, true},   {1500, false, false},  {501, true, true},
                                                   {500, true, false},   {-999, true, false},   {-1000, false, false},
                                                   {-1001, false, false}};  // y, active, drawn
    float id = 1;
    for (auto [y, active, drawn] : cases) {
        EXPECT_EQ(Join(active, drawn), Join(Actors::IsActive(y, view), Actors::IsDrawn(y, view))) << y;
        Spawn(id++, Vec2(0, y));
    }
    actors->Update(16);
    // Only the active ones ran their scripts; the one behind the rear bound
    // went without a death call.
    EXPECT_EQ("do 1 16 | do 3 16 | do 4 16 | do 5 16", TakeLog());
    EXPECT_EQ("1 2 3 4 5 6", Ids());
    EXPECT_TRUE(actors->GetEnemies()[1]->GetTimer() == 0 && actors->GetEnemies()[5]->GetTimer() == 0);  // dormant
}

TEST_F(ActorsTest, BulletsHitAtExactlyTheSumOfTheRadii)
{
    Spawn(1, Vec2(0, 1000));         // radius 20
    Shoot(Vec2(15, 1020), 3);        // distance 25 = 20 + 5: a hit
    Shoot(Vec2(15, 1020.01f), 3);    // just beyond: a miss
    Shoot(Vec2(-25, 1000), 4);       // a hit
    actors->Update(16);
    EXPECT_EQ("hit 1 3 | hit 1 4 | do 1 16", TakeLog());
    // Health left; each bullet lost what the enemy had left after its hit: 3 - 7, none, 4 - 3.
    const auto& shots = bullets->GetPlayerBullets();
    EXPECT_EQ("3 0 3 1", Join(actors->GetEnemies()[0]->GetHealth(), shots[0]->GetStrength(), shots[1]->GetStrength(),
                              shots[2]->GetStrength()));
}

TEST_F(ActorsTest, EveryDeathIsCalledOnceAndRemovedInThatPass)
{
    struct {
        const char* onHit;  // what the enemy's script makes of a hit
        const char* log;
        const char* left;
    } cases[] = {
        {"nil", "hit 1 6 | hit 1 6 | do 1 16 | death 1 | do 2 16", "2"},  // two bullets in one pass
        {"function(health, damage) return 0/0 end", "hit 1 6 | hit 1 6 | do 1 16 | death 1 | do 2 16", "2"},
        {"function(health, damage) return health end", "hit 1 6 | hit 1 6 | do 1 16 | do 2 16", "1 2"},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        Run(std::string("onHit = ") + c.onHit);
        Spawn(1, Vec2(0, 1000));
        Spawn(2, Vec2(300, 1000));
        Shoot(Vec2(0, 1000), 6);
        Shoot(Vec2(1, 1000), 6);
        actors->Update(16);
        EXPECT_EQ(c.log, TakeLog()) << c.onHit;
        EXPECT_EQ(c.left, Ids()) << c.onHit;
        actors->Update(16);
        EXPECT_EQ(std::string::npos, TakeLog().find("death")) << c.onHit;
        EXPECT_EQ(c.left, Ids()) << c.onHit;
    }
}

TEST_F(ActorsTest, ContactCostsTheFrameTimeAndAContactKillIsRemovedNextFrame)
{
    Player& player = *actors->GetPlayer();
    player.SetPosition(Vec2(0, 1000));
    Spawn(1, Vec2(30, 1000));  // 42 + 20 >= 30
    actors->Update(16);
    EXPECT_EQ("do 1 16 | hit 1 16", TakeLog());
    // Shield first; the enemy loses the frame time too.
    EXPECT_EQ("100 14 -6", Join(player.GetHealth(), player.GetShield(), actors->GetEnemies()[0]->GetHealth()));
    EXPECT_EQ("1", Ids());  // dead, but only found so in the next update
    actors->Update(16);
    EXPECT_EQ("do 1 32 | death 1", TakeLog());
    EXPECT_EQ("", Ids());
}

TEST_F(ActorsTest, OrderOfScriptCallsWithinAFrame)
{
    actors->GetPlayer()->SetPosition(Vec2(600, 1000));
    Spawn(1, Vec2(0, 1000));
    Spawn(2, Vec2(600, 1010));                 // touches the player
    Spawn(3, Vec2(-300, 1000), "grunt", 100);  // still waiting
    Shoot(Vec2(0, 1000), 2);
    Shoot(Vec2(-300, 1000), 1);
    Shoot(Vec2(0, 1001), 20);
    scripts->Update(16);
    actors->Update(16);
    bullets->Update(16);
    EXPECT_EQ("update | hit 1 2 | hit 1 20 | do 1 16 | death 1 | do 2 16 | hit 2 16 | hit 3 1", TakeLog());
    // A waiting enemy can be hit; it is not moved.
    EXPECT_EQ(-84.0f, actors->GetEnemies()[1]->GetTimer());
}

TEST_F(ActorsTest, AnEnemySpawnedDuringThePassIsUpdatedLaterInTheSamePass)
{
    Run("function onDo(id, x, y) if id ~= 1 then return end\n"
        "  for i = 1, 600 do Vantrel.SpawnEnemy('brute', 0, 9000, 2000 + i, 0, 0) end\n"
        "  Vantrel.SpawnEnemy('grunt', x, y, 99, 0, 0) Vantrel.SpawnEnemy('grunt', x, y, 98, 0, 50)\n"
        "  Vantrel.SpawnEnemy('grunt', x, y - 5000, 97, 0, 0) end");
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
        "  if damage == 3 then Vantrel.ShootPlayerPlasma(0, x, y, 0, 0, 4) end return health - damage end");
    Spawn(1, Vec2(0, 1000));
    for (int i = 0; i < 100; ++i)  // enough for the grid
        Shoot(Vec2(400, 1000 + static_cast<float>(i)), 1);
    Shoot(Vec2(0, 1000), 3);
    Shoot(Vec2(0, 1001), 1);
    actors->Update(16);
    EXPECT_EQ("hit 1 3 | hit 1 1 | hit 1 4 | do 1 16", TakeLog());
    EXPECT_EQ(2.0f, actors->GetEnemies()[0]->GetHealth());
}

TEST_F(ActorsTest, ADelayedEnemyFirstRunsWhenItsTimerPassesZero)
{
    Spawn(1, Vec2(0, 1000), "grunt", 1000);
    for (int i = 0; i < 4; ++i)
        actors->Update(300);
    EXPECT_EQ("do 1 200", TakeLog());
}

}  // namespace
