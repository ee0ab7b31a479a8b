#include <cmath>
#include <sstream>

#include "game/Bullets.h"
#include "game/Player.h"
#include "tests/game/GameplayFixture.h"

namespace {

class BulletsTest : public GameplayTest {
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        Start("");
        // Type 0: size 4, radius 5. Type 1: size 8, radius 0.
        std::istringstream in("shot.png\n4 5\nbig.png\n8 0\n");
        CaptureStdout([&] { bullets.LoadBulletTypes(in, "types"); });
        GlobalInfo::Instance().SetBullets(&bullets);
    }

    void TearDown() override
    {
        player.reset();
        GameplayTest::TearDown();
    }

    Player& UsePlayer(const Vec2& at)
    {
        player = std::make_unique<Player>();
        player->SetPosition(at);
        GlobalInfo::Instance().SetPlayer(player.get());
        return *player;
    }

    Bullets bullets;
    std::unique_ptr<Player> player;
};

TEST_F(BulletsTest, LoadsOneTypePerRecordAndSaysHowMany)
{
    struct Case {
        const char* text;
        size_t types;
        const char* output;
    } cases[] = {
        {"# plasma\nplasma.png\n4 5\n# big\nbig.png\n16 12\n", 2, "    Loaded 2 bullet types\n"},
        {"plasma.png\n4 5", 1, "    Loaded 1 bullet types\n"},  // no newline at the end
        {"", 0, "    Loaded 0 bullet types\n"},
        {"# only comments\n#\n", 0, "    Loaded 0 bullet types\n"},
        {"a.png\n1 2\n\n\n", 1, "    Loaded 1 bullet types\n"},  // trailing blank lines say nothing
        {"a.png\n1 2\nb.png\n", 1,
         "    Dropped an incomplete record at the end of level.bt\n    Loaded 1 bullet types\n"},
        {"a.png\n# inside a record a hash line is data\n", 1, "    Loaded 1 bullet types\n"},
    };
    for (const Case& c : cases) {
        Bullets fresh;
        std::istringstream in(c.text);
        const std::string output = CaptureStdout([&] { EXPECT_TRUE(fresh.LoadBulletTypes(in, "level.bt")); });
        EXPECT_EQ(c.types, fresh.GetBulletTypes().size()) << c.text;
        EXPECT_EQ(c.output, output) << c.text;
    }
}

TEST_F(BulletsTest, LoadReadsSizeThenRadiusFromAFile)
{
    const std::string path = dir.Write("bullets.txt", "# comment\nshot.png\n4 5\n# second\nbig.png\n16 -3 99\n");
    Bullets fresh;
    const std::string output = CaptureStdout([&] { EXPECT_TRUE(fresh.LoadBulletTypes(path)); });
    EXPECT_EQ("  Loading bullet types...\n    Loaded 2 bullet types\n", output);
    ASSERT_EQ(2u, fresh.GetBulletTypes().size());
    EXPECT_EQ(4, fresh.GetBulletTypes()[0]->GetSize());
    EXPECT_EQ(5, fresh.GetBulletTypes()[0]->GetRadius());
    EXPECT_EQ(16, fresh.GetBulletTypes()[1]->GetSize());
    EXPECT_EQ(-3, fresh.GetBulletTypes()[1]->GetRadius());

    const std::string missing =
        CaptureStdout([&] { EXPECT_FALSE(fresh.LoadBulletTypes(dir.Path() + "nothing.txt")); });
    EXPECT_EQ("  Loading bullet types...\n  Couldn't open BulletType file.\n", missing);
}

TEST_F(BulletsTest, FacingFollowsTheVelocity)
{
    struct Case {
        Vec2 velocity;
        float angle;
    } cases[] = {
        {Vec2(0, 1), 90.00008f}, {Vec2(-1, 0), 0.0f}, {Vec2(1, 0), 180.00015f}, {Vec2(0, -3), -90.00008f},
    };
    for (const Case& c : cases) {
        Bullets fresh;
        std::istringstream in("shot.png\n4 5\n");
        CaptureStdout([&] { fresh.LoadBulletTypes(in, "types"); });
        fresh.AddPlayerBullet(0, Vec2(), c.velocity, 1);
        EXPECT_NEAR(c.angle, fresh.GetPlayerBullets()[0]->GetAngle(), 1e-4);
    }
}

TEST_F(BulletsTest, BulletsMoveAndAreDroppedOutsideTheOpenBand)
{
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(0, 2), 1);    // moves 20 in 15 ms
    bullets.AddPlayerBullet(0, Vec2(0, 1500), Vec2(0, 0), 1);    // exactly 500 ahead: dropped
    bullets.AddPlayerBullet(0, Vec2(0, 1499.9f), Vec2(0, 0), 1);  // inside
    bullets.AddPlayerBullet(0, Vec2(0, 500), Vec2(0, 0), 1);     // exactly 500 behind: dropped
    bullets.AddPlayerBullet(0, Vec2(9e9f, 1000), Vec2(0, 0), 1);  // far to the side: x is not culled
    bullets.AddPlayerBullet(0, Vec2(0, 1000), Vec2(0, 0), 0);    // spent
    bullets.AddPlayerBullet(0, Vec2(0, NAN), Vec2(0, 0), 1);     // nowhere
    bullets.AddEnemyBullet(1, Vec2(0, 1000), Vec2(-3, 0), 1);
    bullets.AddEnemyBullet(1, Vec2(0, 1500), Vec2(0, 0), 1);
    bullets.AddEnemyBullet(1, Vec2(5, 1000), Vec2(0, 0), -1);
    bullets.Update(15);

    const auto& players = bullets.GetPlayerBullets();
    ASSERT_EQ(3u, players.size());
    EXPECT_EQ(1020.0f, players[0]->GetPosition().y);
    EXPECT_EQ(1499.9f, players[1]->GetPosition().y);
    EXPECT_EQ(9e9f, players[2]->GetPosition().x);
    const auto& enemies = bullets.GetEnemyBullets();
    ASSERT_EQ(1u, enemies.size());
    EXPECT_EQ(-30.0f, enemies[0]->GetPosition().x);

    // When the view moves on, what is now outside the band goes at the next update.
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 520));
    bullets.Update(15);
    ASSERT_EQ(1u, bullets.GetPlayerBullets().size());
    EXPECT_EQ(9e9f, bullets.GetPlayerBullets()[0]->GetPosition().x);
}

TEST_F(BulletsTest, EnemyBulletsHitThePlayerAtTheSumOfTheRadii)
{
    Player& p = UsePlayer(Vec2(0, 1000));  // radius 42
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 1000));
    p.SetShield(0);
    bullets.AddEnemyBullet(0, Vec2(47, 1000), Vec2(), 1);      // 42 + 5 >= 47
    bullets.AddEnemyBullet(0, Vec2(0, 1047.5f), Vec2(), 100);  // 47.5: a miss
    bullets.Update(0);
    EXPECT_EQ(99.0f, p.GetHealth());
    EXPECT_EQ(100.0f, bullets.GetEnemyBullets()[1]->GetStrength());
}

TEST_F(BulletsTest, AHitBulletLosesThePlayersHealthAfterTheHit)
{
    struct Case {
        float health, strength;
        float healthAfter, strengthAfter;
        size_t remainingAfterNextUpdate;
    } cases[] = {
        {100, 30, 70, 0, 0},      // spent, removed on the next update
        {100, 80, 20, 60, 1},     // stronger than what is left: survives
        {100, 150, -50, 150, 1},  // nothing left to absorb: the strength stays
    };
    for (const Case& c : cases) {
        Bullets fresh;
        std::istringstream in("shot.png\n4 5\n");
        CaptureStdout([&] { fresh.LoadBulletTypes(in, "types"); });
        Player& p = UsePlayer(Vec2(0, 0));
        p.SetShield(0);
        p.SetHealth(c.health);
        fresh.AddEnemyBullet(0, Vec2(0, 0), Vec2(), c.strength);
        fresh.Update(0);
        EXPECT_EQ(c.healthAfter, p.GetHealth());
        ASSERT_EQ(1u, fresh.GetEnemyBullets().size()) << "the hit bullet stays for this update";
        EXPECT_EQ(c.strengthAfter, fresh.GetEnemyBullets()[0]->GetStrength());
        p.SetPosition(Vec2(0, 300));
        fresh.Update(0);
        EXPECT_EQ(c.remainingAfterNextUpdate, fresh.GetEnemyBullets().size());
    }
}

TEST_F(BulletsTest, RemovalKeepsTheOrderOfTheRest)
{
    for (int i = 0; i < 10; ++i)
        bullets.AddPlayerBullet(0, Vec2(static_cast<float>(i), 0), Vec2(), i % 3 == 0 ? 0.0f : 1.0f);
    bullets.Update(1);
    std::string xs;
    for (const auto& b : bullets.GetPlayerBullets())
        xs += std::to_string(static_cast<int>(b->GetPosition().x));
    EXPECT_EQ("124578", xs);
}

TEST_F(BulletsTest, TypesOutsideTheTableCreateNothing)
{
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(bullets.AddPlayerBullet(2, Vec2(), Vec2(), 1));
    EXPECT_FALSE(bullets.AddEnemyBullet(-1, Vec2(), Vec2(), 1));
    EXPECT_TRUE(bullets.AddEnemyBullet(1, Vec2(), Vec2(), 1));
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(bullets.GetPlayerBullets().empty());
    EXPECT_EQ(1u, bullets.GetEnemyBullets().size());
}

TEST_F(BulletsTest, TakeDamageNeverLeavesANegativeStrength)
{
    BulletType type(nullptr, 1, 1);
    Bullet bullet(type, Vec2(), Vec2(), 10);
    bullet.TakeDamage(4);
    EXPECT_EQ(6.0f, bullet.GetStrength());
    bullet.TakeDamage(-20);  // a target below zero health absorbs nothing
    EXPECT_EQ(6.0f, bullet.GetStrength());
    bullet.TakeDamage(100);
    EXPECT_EQ(0.0f, bullet.GetStrength());
    EXPECT_FALSE(bullet.Update(1));
}

}  // namespace
