// The grid broad phase must change nothing but speed: the same hits, in the
// same order, with the same results, also when scripts append bullets and
// enemies while the pass runs.
#include <algorithm>
#include <cmath>
#include <random>

#include "game/BulletGrid.h"
#include "game/Collision.h"
#include "tests/game/GameplayFixture.h"

namespace {

// What the scenes below never hold: bullets far out, at NaN or infinity, and reaches beyond them.
TEST(BulletGridTest, CandidatesAreAscendingAndIncludeEveryTouchingBullet)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-2000, 2000);
    const float odd[] = {NAN, INFINITY, -INFINITY, 3e7f, -1e30f, 1e-40f, 0.0f};
    std::vector<BulletType> types;
    for (int r : {-10, 0, 5, 20, 60, 100000})
        types.emplace_back(nullptr, 1, r);
    for (int scene = 0; scene < 20; ++scene) {
        std::vector<std::unique_ptr<Bullet>> bullets;
        const float spread = scene % 4 == 0 ? 5.0f : 1.0f;  // some scenes crowd into a small area
        for (int i = scene == 0 ? 0 : static_cast<int>(random() % 3000); i > 0; --i) {
            Vec2 p(coordinate(random) / spread, coordinate(random) / spread);
            p.x = random() % 50 == 0 ? odd[random() % 7] : p.x;
            p.y = random() % 50 == 0 ? odd[random() % 7] : p.y;
            bullets.push_back(std::make_unique<Bullet>(types[random() % 200 == 0 ? 5 : random() % 5], p, Vec2(), 1.0f));
        }
        BulletGrid grid;
        grid.Build(bullets);
        for (int query = 0; query < 200; ++query) {
            Vec2 center(coordinate(random) / spread, coordinate(random) / spread);
            center.x = query % 40 == 0 ? odd[random() % 7] : center.x;
            const int r = query % 50 == 0 ? 2000000 : static_cast<int>(random() % 71) - 10;
            std::vector<uint32_t> candidates;
            grid.Query(center, r, candidates);
            ASSERT_TRUE(std::is_sorted(candidates.begin(), candidates.end()) &&
                        std::adjacent_find(candidates.begin(), candidates.end()) == candidates.end());
            for (uint32_t i = 0; i < bullets.size(); ++i)
                ASSERT_TRUE(!Collision::Touches(bullets[i]->GetPosition(), bullets[i]->GetRadius(), center, r) ||
                            std::binary_search(candidates.begin(), candidates.end(), i))
                    << "scene " << scene << " query " << query << " misses bullet " << i;
        }
    }
}

// Scripts that react to hits and updates by firing at the enemy (bullets that
// are then tested in the same pass), firing far away in bulk (enough to make
// the grid rebuild in mid-pass) and spawning enemies.
const char* const kScript =
    "hits, updates, shots, spawns = 0, 0, 0, 0\n"
    "function EnemyOnHit(h, x, y, health, damage, a, b, c, t)\n"
    "  Log('hit', a, x, y, health, damage, t) hits = hits + 1\n"
    // bounded, or a spawned enemy hit by many bullets would spawn ever more
    "  if hits % 7 == 0 and shots < 200 then\n"
    "    shots = shots + 1 Vantrel.ShootPlayerPlasma(hits % 3, x + hits % 11 - 5, y, 0, 0, 2) end\n"
    "  if hits % 13 == 0 and spawns < 40 then\n"
    "    spawns = spawns + 1 Vantrel.SpawnEnemy('t' .. hits % 4, x + 10, y, 1000 + hits, 0, 0) end\n"
    "  return health - damage, a, b + 1, c\n"
    "end\n"
    "function EnemyDoUpdate(h, x, y, dt, a, b, c, t)\n"
    "  Log('do', a, x, y, b, t) updates = updates + 1\n"
    "  if updates % 17 == 0 then Vantrel.ShootPlayerPlasma(0, x, y + 3, 0, 0.1, 1) end\n"
    "  if updates % 29 == 0 and spawns < 40 then\n"
    "    spawns = spawns + 1 Vantrel.SpawnEnemy('t1', x - 20, y, 5000 + updates, 0, 0) end\n"
    "  if flood and updates % 3 == 0 then for i = 1, 5 do Vantrel.ShootPlayerPlasma(1, x + 1e5, y, 0, 0, 1) end end\n"
    "  return x + math.sin(a) * 3, y + 0.05 * dt, a, b, c\n"
    "end\n"
    "function EnemyOnDeath(h, x, y, a, b, c, t) Log('death', a, x, y) return false end\n";

class BroadPhaseTest : public GameplayTest {
protected:
    // Builds one random scene from `seed`, runs a few frames and returns
    // everything the scripts saw plus the final state.
    std::string RunScene(unsigned seed, bool broadPhase)
    {
        Start(kScript);
        if (seed % 3 == 0)
            GameplayTest::Run("flood = true");
        std::mt19937 random(seed);
        auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };

        Bullets bullets;
        LoadBulletTypes(bullets, "a\n2 5\nb\n2 20\nc\n2 0\nd\n2 300\n");
        GlobalInfo::Instance().SetBullets(&bullets);
        Actors actors;
        actors.SetBroadPhase(broadPhase);
        GlobalInfo::Instance().SetActors(&actors);
        LoadEnemyTypes(actors, "t0\nm\nt\ns\n40\n60\nt1\nm\nt\ns\n85\n90\nt2\nm\nt\ns\n300\n200\nt3\nm\nt\ns\n-10\n30\n");

        Vec2 view(0, 1000);
        GlobalInfo::Instance().SetViewPosition(view);
        actors.GetPlayer()->SetPosition(Vec2(uniform(-300, 300), uniform(800, 1200)));

        std::vector<Vec2> spots(20 + random() % 200);
        for (size_t i = 0; i < spots.size(); ++i) {
            spots[i] = Vec2(uniform(-600, 600), uniform(-1100, 1600));
            const std::string type = "t" + std::to_string(random() % 4);
            actors.SpawnEnemy(type, spots[i], static_cast<float>(i + 1), 0, random() % 4 == 0 ? 20.0f : 0.0f);
        }
        for (int i = static_cast<int>(random() % 3000); i > 0; --i) {
            const Vec2 near = spots[random() % spots.size()];
            Vec2 at(near.x + uniform(-80, 80), near.y + uniform(-80, 80));
            at = random() % 100 == 0 ? Vec2(uniform(-1e8f, 1e8f), near.y) : at;
            at.x = random() % 200 == 0 ? NAN : at.x;
            bullets.AddPlayerBullet(static_cast<int>(random() % 4), at, Vec2(uniform(-1, 1), uniform(-1, 1)),
                                    uniform(0.5f, 30));
        }

        for (int frame = 0; frame < 4; ++frame) {
            actors.Update(16);
            bullets.Update(16);
            view.y += 16 / 5.0f;
            GlobalInfo::Instance().SetViewPosition(view);
        }

        std::string state = TakeLog() + "\n";
        for (const auto& e : actors.GetEnemies())
            state += Join(e->GetState1(), e->GetHealth(), e->GetPosition(), e->GetState2()) + "\n";
        for (const auto& bullet : bullets.GetPlayerBullets())
            state += Join(bullet->GetStrength()) + ' ';
        GlobalInfo::Instance().Reset();
        return state + Join("\nplayer", actors.GetPlayer()->GetHealth(), actors.GetPlayer()->GetShield());
    }
};

TEST_F(BroadPhaseTest, GridGivesTheSameHitsInTheSameOrderAsThePlainLoop)
{
    size_t hits = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE(seed);
        const std::string grid = RunScene(seed, true);
        const std::string plain = RunScene(seed, false);
        ASSERT_EQ(plain, grid) << "seed " << seed;
        for (size_t at = plain.find("hit "); at != std::string::npos; at = plain.find("hit ", at + 1))
            ++hits;
    }
    EXPECT_GT(hits, 5000u);  // the scenes do exercise the collision pass
}

}  // namespace
