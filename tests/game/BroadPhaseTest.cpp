// The grid broad phase on its own: whatever the bullets, a query returns
// every one that touches, in list order (the search below needs the order).
// (That it changes nothing in a game's frames, order of hits included:
// ActorsTest.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "game/Bullet.h"
#include "game/BulletGrid.h"
#include "game/BulletType.h"
#include "game/Collision.h"

namespace {

// What the scenes below never hold: bullets far out, at NaN or infinity, and reaches beyond them.
TEST(BulletGridTest, CandidatesIncludeEveryTouchingBullet)
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
            for (uint32_t i = 0; i < bullets.size(); ++i)
                ASSERT_TRUE(!Collision::Touches(bullets[i]->GetPosition(), bullets[i]->GetRadius(), center, r) ||
                            std::binary_search(candidates.begin(), candidates.end(), i))
                    << "scene " << scene << " query " << query << " misses bullet " << i;
        }
    }
}

}  // namespace
