#include <cmath>

#include "game/Player.h"
#include "tests/game/GameplayFixture.h"

namespace {

class BulletsTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start("");
        LoadBulletTypes(bullets, "shot.png\n4 5\n");  // radius 5
        GlobalInfo::Instance().SetBullets(&bullets);
    }

    Bullets bullets;
};

TEST_F(BulletsTest, BulletsFaceTheirVelocityMoveAndAreDroppedOutsideTheOpenBandKeepingTheirOrder)
{
    const std::pair<Vec2, float> facing[] = {
        {Vec2(0, 1), 90.00008f}, {Vec2(-1, 0), 0.0f}, {Vec2(1, 0), 180.00015f}, {Vec2(0, -3), -90.00008f}};
    for (auto [velocity, angle] : facing) {
        Bullet bullet(*bullets.GetBulletTypes()[0], Vec2(), velocity, 1);
        EXPECT_NEAR(angle, bullet.GetAngle(), 1e-4) << Join(velocity);
    }
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    for (const Vec2& at : {Vec2(0, 1500), Vec2(0, 1499.9f), Vec2(0, 500), Vec2(9e9f, 1000), Vec2(0, NAN)})
        bullets.AddPlayerBullet(0, at, Vec2(), 1);  // 500 ahead or behind is out; x is not culled
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(0, 2), 1);  // moves 20 in 15 ms
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(), 0);      // spent
    bullets.AddEnemyBullet(0, Vec2(0, 1000), Vec2(-3, 0), 1);
    bullets.AddEnemyBullet(0, Vec2(0, 1500), Vec2(), 1);
    bullets.AddEnemyBullet(0, Vec2(5, 1000), Vec2(), -1);
    bullets.Update(15);
    auto positions = [](const Bullets::BulletList& list) {
        std::string text;
        for (const auto& bullet : list)
            text += Join(bullet->GetPosition()) + " | ";
        return text;
    };
    EXPECT_EQ("0 1499.9 | 9e+09 1000 | 0 1020 | ", positions(bullets.GetPlayerBullets()));
    EXPECT_EQ("-30 1000 | ", positions(bullets.GetEnemyBullets()));
    // When the view moves on, what is now outside the band goes at the next update.
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 520));
    bullets.Update(15);
    EXPECT_EQ("9e+09 1000 | ", positions(bullets.GetPlayerBullets()));
}

TEST_F(BulletsTest, AHitBulletLosesThePlayersHealthAfterTheHit)
{
    const struct {
        Vec2 at;
        float strength, healthAfter, strengthAfter;
        size_t remainingAfterNextUpdate;
    } cases[] = {
        {Vec2(0, 0), 30, 70, 0, 0},          // spent, removed on the next update
        {Vec2(0, 0), 80, 20, 60, 1},         // stronger than what is left: survives
        {Vec2(0, 0), 150, -50, 150, 1},      // nothing left to absorb: the strength stays
        {Vec2(47, 0), 1, 99, 0, 0},          // 42 + 5 >= 47: a hit
        {Vec2(0, 47.5f), 100, 100, 100, 1},  // a miss
    };
    for (const auto& c : cases) {
        Bullets fresh;
        LoadBulletTypes(fresh, "shot.png\n4 5\n");
        Player player;  // radius 42
        GlobalInfo::Instance().SetPlayer(&player);
        player.SetShield(0);
        player.SetPosition(Vec2(0, 0));
        fresh.AddEnemyBullet(0, c.at, Vec2(), c.strength);
        fresh.Update(0);
        ASSERT_EQ(1u, fresh.GetEnemyBullets().size()) << "the hit bullet stays for this update";
        EXPECT_EQ(Join(c.healthAfter, c.strengthAfter), Join(player.GetHealth(), fresh.GetEnemyBullets()[0]->GetStrength()))
            << Join(c.at);
        player.SetPosition(Vec2(0, 300));
        fresh.Update(0);
        EXPECT_EQ(c.remainingAfterNextUpdate, fresh.GetEnemyBullets().size()) << Join(c.at);
        GlobalInfo::Instance().SetPlayer(nullptr);
    }
}

}  // namespace
