#include <algorithm>
#include <random>

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
        LoadBulletTypes(bullets, "shot.png\n4 5\n");  // type 0: radius 5
        GlobalInfo::Instance().SetBullets(&bullets);
        GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
        actors->GetPlayer()->SetPosition(Vec2(5000, 1000));  // out of everyone's way
        TakeLog();
    }

    // An enemy identified by `id` (its state1).
    void Spawn(float id, const Vec2& at, float delay = 0) { actors->SpawnEnemy("grunt", at, id, 0, delay); }
    void Shoot(const Vec2& at, float strength) { bullets.AddPlayerBullet(0, at, Vec2(), strength); }
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

// What the files say goes where it belongs; a record the file cuts short is
// dropped before its script loads; the radius is half the size rounded
// towards zero; of two types of one name the first is found. (What the
// loaders print for a modder's mistakes: LoadProblemsTest.)
TEST_F(ActorsTest, LoadersReadEachRecordDropATruncatedOneAndFindTheFirstOfTwoNames)
{
    Actors fresh;
    TakeLog();
    LoadEnemyTypes(fresh, kTypes + std::string("neg\nm\nt\nneg.lua\n-5\n1\nbrute\nm\nt\ns\n10\n1\ncut\nm\nt\ncut.lua\n1\n"));
    EXPECT_EQ("load grunt.lua | load brute.lua | load neg.lua | load s", TakeLog());
    const EnemyType& brute = *fresh.FindEnemyType("brute");
    EXPECT_EQ("brute 7 85 50", Join(brute.GetName(), brute.GetScriptHandle(), brute.GetSize(), brute.GetHealth()));
    EXPECT_TRUE(!fresh.FindEnemyType("Brute") && !fresh.FindEnemyType("brut") && !fresh.FindEnemyType("cut"));
    std::istringstream timeline("brute\n100 3000\n0 1 500\nneg\n0 0\n0 0 0\n");
    CaptureStdout([&] { fresh.LoadEnemies(timeline, "level"); });
    const Enemy& e = *fresh.GetEnemies().at(0);
    EXPECT_EQ("brute 100 3000 0 1 0 -500 50 42 -2", Join(e.GetType()->GetName(), e.GetPosition(), e.GetState1(),
                                                   e.GetState2(), e.GetState3(), e.GetTimer(), e.GetHealth(),
                                                   e.GetRadius(), fresh.GetEnemies().at(1)->GetRadius()));
}

// The bounds themselves, exclusive (that enemies outside them do not run and
// the passed ones go without a death call: ShippedLevelTest's trace).
TEST_F(ActorsTest, ActivityAndDrawingWindowsAroundTheView)
{
    const Vec2 view(0, 1000);
    const std::tuple<float, bool, bool> cases[] = {{1499, true, true}, {1500, false, false}, {501, true, true},
                                                   {500, true, false}, {-999, true, false},  {-1000, false, false}};
    for (auto [y, active, drawn] : cases)
        EXPECT_EQ(Join(active, drawn), Join(Actors::IsActive(y, view), Actors::IsDrawn(y, view))) << y;
}

// One frame of the order the game runs: each enemy's hits, move, death and
// contact with the ship in turn. Edges the shipped level does not reach: a
// touch at exactly the sum of the radii, an enemy still waiting for its
// delay, a script that answers NaN health.
TEST_F(ActorsTest, HitsMovesDeathsAndContactInOneFrame)
{
    Run("function onHit(health, damage, id) if id == 5 then return 0/0 end return health - damage end");
    Player& player = *actors->GetPlayer();
    player.SetPosition(Vec2(600, 1000));
    Spawn(2, Vec2(600, 1010));         // touches the ship: 42 + 20 >= 10
    Spawn(3, Vec2(-300, 1000), 16);    // still waiting (to the end of this frame): hit, not moved
    Spawn(4, Vec2(300, 1000));
    Spawn(5, Vec2(-600, 1000));        // its script answers NaN health: dead all the same
    Shoot(Vec2(-300, 1000), 1);
    Shoot(Vec2(315, 1020), 3);         // distance 25 = 20 + 5: a hit
    Shoot(Vec2(315, 1020.01f), 3);     // just beyond: a miss
    Shoot(Vec2(-600, 1000), 1);
    actors->Update(16);
    bullets.Update(16);
    EXPECT_EQ("do 2 16 | hit 2 16 | hit 3 1 | hit 4 3 | do 4 16 | hit 5 1 | do 5 16 | death 5", TakeLog());
    EXPECT_EQ("2 3 4", Ids());
    // Contact costs both the frame time, the ship's shield first; the enemy it killed goes next frame.
    EXPECT_EQ("100 14 -6", Join(player.GetHealth(), player.GetShield(), actors->GetEnemies()[0]->GetHealth()));
    actors->Update(16);
    EXPECT_EQ("do 2 32 | death 2 | do 3 16 | do 4 32", TakeLog());
    EXPECT_EQ("3 4", Ids());
}

TEST_F(ActorsTest, WhatScriptsAddDuringThePassIsHandledLaterInTheSamePass)
{
    // Enemy 1 spawns 600 far away (the array moves under the pass) and one
    // near it; a hit of 3 fires a bullet of 4 at the enemy, tested after the others.
    // (A spawned delay: ScriptManagerTest; removal behind the window: the trace.)
    Run("function onDo(id, x, y) if id ~= 1 then return end\n"
        "  for i = 1, 600 do Vantrel.SpawnEnemy('brute', 0, 9000, 2000 + i, 0, 0) end\n"
        "  Vantrel.SpawnEnemy('grunt', x + 200, y, 99, 0, 0) end\n"
        "function onHit(health, damage, id, x, y)\n"
        "  if damage == 3 then Vantrel.ShootPlayerPlasma(0, x, y, 0, 0, 4) end return health - damage end");
    Spawn(1, Vec2(0, 1000));
    Spawn(2, Vec2(0, 1100));
    for (int i = 0; i < 100; ++i)  // enough for the grid
        Shoot(Vec2(400, 1000 + static_cast<float>(i)), 1);
    Shoot(Vec2(0, 1000), 3);
    Shoot(Vec2(0, 1001), 1);
    actors->Update(16);
    const std::string log = TakeLog();
    EXPECT_EQ(0u, log.find("hit 1 3 | hit 1 1 | hit 1 4 | do 1 16 | do 2 16 | do 99 16")) << log;
    EXPECT_EQ(2u + 600 + 1, actors->GetEnemies().size());
    EXPECT_EQ(2.0f, actors->GetEnemies()[0]->GetHealth());
}

// The grid broad phase changes nothing but speed: over frames in which the
// bullets move and are spent, and scripts append bullets (enough to make the
// grid rebuild in mid-pass), the same hits in the same order as the plain loop.
TEST_F(ActorsTest, TheGridGivesTheHitsOfThePlainLoopInTheirOrder)
{
    Run("function onHit(health, damage, id, x, y) if damage == 3 then\n"
        "  for i = 1, 40 do Vantrel.ShootPlayerPlasma(0, x + 1e5, y, 0, 0, 1) end\n"
        "  Vantrel.ShootPlayerPlasma(0, x + 3, y, 0, 0, 2) end return health - damage end");
    auto play = [&](bool grid) {
        std::mt19937 random(7);
        auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
        auto fresh = std::make_unique<Actors>();
        fresh->SetBroadPhase(grid);
        GlobalInfo::Instance().SetActors(fresh.get());
        actors = std::move(fresh);
        LoadEnemyTypes(*actors, kTypes);
        Bullets shots;
        LoadBulletTypes(shots, "shot.png\n4 5\n");
        GlobalInfo::Instance().SetBullets(&shots);
        for (int i = 0; i < 30; ++i)
            actors->SpawnEnemy(i % 2 ? "brute" : "grunt", Vec2(uniform(-400, 400), uniform(900, 1300)), float(i), 0, 0);
        for (int i = 0; i < 400; ++i)
            shots.AddPlayerBullet(0, Vec2(uniform(-400, 400), uniform(700, 1300)),
                                  Vec2(uniform(-1, 1), uniform(0, 2)), float(1 + i % 4));
        for (int frame = 0; frame < 6; ++frame) {
            actors->Update(16);
            shots.Update(16);
        }
        GlobalInfo::Instance().SetBullets(&bullets);
        return TakeLog() + "\n" + Ids();
    };
    const std::string plain = play(false);
    EXPECT_EQ(plain, play(true));
    EXPECT_GT(std::count(plain.begin(), plain.end(), '|'), 300) << plain;
}

}  // namespace
