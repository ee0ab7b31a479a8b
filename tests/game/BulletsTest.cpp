// What the shipped level's trace cannot show: the sprite's facing, and the
// band's exclusive bounds. (Moves, hits on the ship and what a hit bullet
// loses: ShippedLevelTest; a touch at exactly the radii: ActorsTest.)
#include "tests/game/GameplayFixture.h"

namespace {

using BulletsTest = GameplayTest;

TEST_F(BulletsTest, BulletsFaceTheirVelocityAndAreDroppedOutsideTheOpenBandKeepingTheirOrder)
{
    Start("");
    Bullets bullets;
    LoadBulletTypes(bullets, "shot.png\n4 5\n");
    const std::pair<Vec2, float> facing[] = {
        {Vec2(0, 1), 90.00008f}, {Vec2(-1, 0), 0.0f}, {Vec2(1, 0), 180.00015f}, {Vec2(0, -3), -90.00008f}};
    for (auto [velocity, angle] : facing) {
        Bullet bullet(*bullets.GetBulletTypes()[0], Vec2(), velocity, 1);
        EXPECT_NEAR(angle, bullet.GetAngle(), 1e-4) << Join(velocity);
    }
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    for (const Vec2& at : {Vec2(0, 1500), Vec2(0, 1499.9f), Vec2(0, 500), Vec2(9e9f, 1000), Vec2(0, NAN)})
        bullets.AddPlayerBullet(0, at, Vec2(), 1);  // 500 ahead or behind is out; x is not culled
    bullets.AddPlayerBullet(0, Vec2(0, 500.1f), Vec2(), 1);
    bullets.AddEnemyBullet(0, Vec2(0, 500), Vec2(), 1);
    bullets.Update(15);
    std::string kept;
    for (const auto& bullet : bullets.GetPlayerBullets())
        kept += Join(bullet->GetPosition()) + " | ";
    EXPECT_EQ("0 1499.9 | 9e+09 1000 | 0 500.1 | ", kept);
    EXPECT_TRUE(bullets.GetEnemyBullets().empty());
}

}  // namespace
