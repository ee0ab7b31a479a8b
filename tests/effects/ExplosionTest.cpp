// Explosions without GL: the chain a new explosion leaves in the container,
// its life from delay to removal, and the sprite geometry it would draw.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/EffectRandom.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "tests/effects/ScriptedRandom.h"

using GFX::Explosion;

namespace {

class ExplosionTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalInfo::Instance().SetEffects(&effects); }
    void TearDown() override
    {
        GlobalInfo::Instance().Reset();
        GFX::SetRandomSource({});
    }

    const Explosion& At(size_t i) const
    {
        auto* explosion = dynamic_cast<const Explosion*>(effects.GetEffect(i));
        EXPECT_NE(explosion, nullptr) << "effect " << i << " is not an explosion";
        static const Explosion none(0.0f, Vec3(), 0.0f);
        return explosion ? *explosion : none;
    }

    std::vector<float> Sizes() const
    {
        std::vector<float> sizes;
        for (size_t i = 0; i < effects.GetEffectCount(); ++i)
            sizes.push_back(At(i).GetSize());
        return sizes;
    }

    GraphicalEffects effects;
};

TEST_F(ExplosionTest, ChainTakesItsDrawsXThenZParentFirstAndStandsDeepestFirst)
{
    // Explode(0, 0, 60, 0): the 60 draws the offset of the 40, which draws
    // the offset of the 20.
    ScriptedRandom random({0, 32767, 16384, 8192});
    effects.AddExplosion(60.0f, Vec2(0.0f, 0.0f), 0.0f);

    EXPECT_EQ(random.Taken(), 4u);
    ASSERT_EQ(effects.GetEffectCount(), 3u);
    EXPECT_EQ(Sizes(), (std::vector<float>{20.0f, 40.0f, 60.0f}));
    // Delays 100, 50 and 0.
    EXPECT_FLOAT_EQ(At(0).GetTime(), -100.0f);
    EXPECT_FLOAT_EQ(At(1).GetTime(), -50.0f);
    EXPECT_FLOAT_EQ(At(2).GetTime(), 0.0f);

    const Vec3& first = At(2).GetPosition();
    const Vec3& second = At(1).GetPosition();
    const Vec3& third = At(0).GetPosition();
    EXPECT_FLOAT_EQ(first.x, 0.0f);
    EXPECT_FLOAT_EQ(first.z, 0.0f);
    EXPECT_FLOAT_EQ(second.x, -60.0f);  // draw 0 on x
    EXPECT_FLOAT_EQ(second.z, 60.0f);   // draw 32767 on z
    EXPECT_NEAR(third.x, second.x + (16384.0f / 32767.0f * 120.0f - 60.0f), 1e-3f);
    EXPECT_NEAR(third.z, second.z + (8192.0f / 32767.0f * 120.0f - 60.0f), 1e-3f);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(At(i).GetPosition().y, 10.0f);
}

TEST_F(ExplosionTest, ChainWithTheStandardGeneratorStaysWithinReach)
{
    for (unsigned seed : {1u, 7u, 1234u, 99991u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(60.0f, Vec2(300.0f, -200.0f), 0.0f);
        ASSERT_EQ(local.GetEffectCount(), 3u);
        const float delays[] = {100.0f, 50.0f, 0.0f};
        for (size_t i = 0; i < 3; ++i) {
            auto* link = static_cast<const Explosion*>(local.GetEffect(i));
            EXPECT_FLOAT_EQ(link->GetTime(), -delays[i]);
            EXPECT_FLOAT_EQ(link->GetPosition().y, 10.0f);
            if (i + 1 < 3) {
                auto* cause = static_cast<const Explosion*>(local.GetEffect(i + 1));
                EXPECT_LE(std::fabs(link->GetPosition().x - cause->GetPosition().x), 60.0f);
                EXPECT_LE(std::fabs(link->GetPosition().z - cause->GetPosition().z), 60.0f);
            }
        }
        auto* first = static_cast<const Explosion*>(local.GetEffect(2));
        EXPECT_FLOAT_EQ(first->GetPosition().x, 300.0f);
        EXPECT_FLOAT_EQ(first->GetPosition().z, -200.0f);
        GlobalInfo::Instance().SetEffects(&effects);
    }
}

TEST(EffectRandom, StandardGeneratorCoversTheRangeEvenly)
{
    std::srand(42);
    const int draws = 64000;
    int buckets[4] = {};
    int lowest = GFX::kRandomMax, highest = 0;
    for (int i = 0; i < draws; ++i) {
        int r = GFX::RandomDraw();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, GFX::kRandomMax);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
        ++buckets[r / 8192];
    }
    EXPECT_LT(lowest, 100);
    EXPECT_GT(highest, GFX::kRandomMax - 100);
    for (int count : buckets)
        EXPECT_NEAR(count, draws / 4, draws / 40);  // within 10% of a quarter
}

TEST_F(ExplosionTest, ChainLengthsAndDelaysFollowTheSize)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float size;
        float delay;
        std::vector<float> sizes;  // in container order
    };
    std::vector<float> capped;  // 20, 40, ..., 980: the chain of a size-1000 explosion
    for (float s = 20.0f; s < 1000.0f; s += 20.0f)
        capped.push_back(s);
    auto with = [](std::vector<float> v, float last) {
        v.push_back(last);
        return v;
    };
    const Case cases[] = {
        {60.0f, 0.0f, {20.0f, 40.0f, 60.0f}},
        {45.0f, 0.0f, {5.0f, 25.0f, 45.0f}},
        {20.0f, 0.0f, {20.0f}},
        {20.5f, 0.0f, {0.5f, 20.5f}},
        {60.0f, 300.0f, {20.0f, 40.0f, 60.0f}},
        {0.0f, 0.0f, {0.0f}},
        {-5.0f, 0.0f, {-5.0f}},
        {1000.0f, 0.0f, with(capped, 1000.0f)},
        {1e9f, 0.0f, with(capped, 1e9f)},
        {inf, 0.0f, with(capped, inf)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay);
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec3(0.0f, 10.0f, 0.0f), c.delay);
        ASSERT_EQ(local.GetEffectCount(), c.sizes.size());
        const size_t n = c.sizes.size();
        for (size_t i = 0; i < n; ++i) {
            auto* link = static_cast<const Explosion*>(local.GetEffect(i));
            EXPECT_FLOAT_EQ(link->GetSize(), c.sizes[i]);
            // Link k of the chain (k = 0 for the explosion itself) starts 50 k ms later.
            EXPECT_FLOAT_EQ(link->GetTime(), -(c.delay + 50.0f * static_cast<float>(n - 1 - i)));
        }
    }
    GlobalInfo::Instance().SetEffects(&effects);
}

TEST_F(ExplosionTest, NoChainAtSizeTwentyOrBelowAndNoneForNaN)
{
    for (float size : {20.0f, 19.9f, 1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        SCOPED_TRACE(size);
        ScriptedRandom random({});
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(size, Vec2(5.0f, 6.0f), 0.0f);
        EXPECT_EQ(local.GetEffectCount(), 1u);
        EXPECT_EQ(random.Taken(), 0u);
    }
    GlobalInfo::Instance().SetEffects(&effects);
}

TEST_F(ExplosionTest, WithoutAWorldTheChainIsDroppedButItsDrawsAreTaken)
{
    GlobalInfo::Instance().SetEffects(nullptr);
    ScriptedRandom random({100, 200});
    Explosion explosion(40.0f, Vec3(1.0f, 2.0f, 3.0f), 0.0f);
    EXPECT_EQ(random.Taken(), 2u);
    EXPECT_EQ(effects.GetEffectCount(), 0u);
}

TEST_F(ExplosionTest, BothFormsPlaceTheExplosion)
{
    effects.AddExplosion(2.0f, Vec2(0.0f, 500.0f), 0.0f);
    effects.AddExplosion(2.0f, Vec3(7.0f, -3.0f, 9.0f), 25.0f);
    ASSERT_EQ(effects.GetEffectCount(), 2u);
    EXPECT_FLOAT_EQ(At(0).GetPosition().x, 0.0f);
    EXPECT_FLOAT_EQ(At(0).GetPosition().y, 10.0f);
    EXPECT_FLOAT_EQ(At(0).GetPosition().z, 500.0f);
    EXPECT_FLOAT_EQ(At(0).GetHeight(), 10.0f);
    EXPECT_FLOAT_EQ(At(1).GetPosition().y, -3.0f);
    EXPECT_FLOAT_EQ(At(1).GetPosition().z, 9.0f);
    EXPECT_FLOAT_EQ(At(1).GetTime(), -25.0f);
}

TEST_F(ExplosionTest, DelayedExplosionWaitsThenLivesTenMillisecondsPerUnitOfSize)
{
    // Size 20 has no chain: the one explosion is alone in the container.
    struct Case {
        float size;
        float delay;
        float dt;
    };
    const Case cases[] = {{20.0f, 300.0f, 10.0f}, {20.0f, 300.0f, 16.0f}, {15.0f, 0.0f, 7.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay << " dt " << c.dt);
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec2(), c.delay);
        float elapsed = 0.0f;
        float firstVisible = -1.0f;
        int frames = 0;
        while (local.GetEffectCount() == 1 && frames < 10000) {
            auto* e = static_cast<const Explosion*>(local.GetEffect(0));
            bool visible = Explosion::IsVisible(e->GetSize(), e->GetTime());
            EXPECT_EQ(visible, elapsed > c.delay) << "at " << elapsed << " ms";
            if (visible && firstVisible < 0.0f)
                firstVisible = elapsed;
            local.Update(c.dt);
            elapsed += c.dt;
            ++frames;
        }
        const float end = c.delay + c.size * 10.0f;
        // Removed by the first update that reaches the end of its life.
        EXPECT_GE(elapsed, end);
        EXPECT_LT(elapsed - c.dt, end);
        EXPECT_GT(firstVisible, c.delay);
        EXPECT_LE(firstVisible, c.delay + c.dt);
    }
    GlobalInfo::Instance().SetEffects(&effects);
}

TEST_F(ExplosionTest, SizeZeroOrLessIsNeverDrawnAndGoesAtItsFirstUpdate)
{
    struct Case {
        float size;
        float delay;
        float dt;
    };
    // A negative delay starts the clock above 0; that must not make it drawable.
    const Case cases[] = {{0.0f, 0.0f, 16.0f}, {0.0f, 0.0f, 0.0f}, {-10.0f, 0.0f, 16.0f},
                          {0.0f, -100.0f, 16.0f}, {-3.0f, -5.0f, 1.0f},
                          {std::numeric_limits<float>::quiet_NaN(), 0.0f, 16.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay << " dt " << c.dt);
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec2(), c.delay);
        ASSERT_EQ(local.GetEffectCount(), 1u);
        auto* e = static_cast<const Explosion*>(local.GetEffect(0));
        EXPECT_FALSE(Explosion::IsVisible(e->GetSize(), e->GetTime()));
        local.Update(c.dt);
        EXPECT_EQ(local.GetEffectCount(), 0u);
    }
    GlobalInfo::Instance().SetEffects(&effects);
}

TEST(ExplosionGeometry, HalfExtentsAndAlphaThroughALife)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float size, time;
        bool visible;
        int sprite, shockwave;
        float alpha;
    };
    const Case cases[] = {
        // Just after the start: half-extent 25, nearly opaque; shockwave 50.
        {50.0f, 1.0f, true, 25, 50, 0.998f},
        // time/6 on the sprite stays below 1 until 6; the shockwave adds
        // twice that and reaches 51 at time 3.
        {50.0f, 5.0f, true, 25, 51, 0.99f},
        {50.0f, 480.0f, true, 105, 210, 0.04f},
        {50.0f, 250.0f, true, 66, 133, 0.5f},
        {10.0f, 5.0f, true, 5, 11, 0.95f},  // truncation of 5.83 and 11.67
        // Outside the life: before the start, at its end.
        {50.0f, 0.0f, false, 25, 50, 1.0f},
        {50.0f, 500.0f, false, 108, 216, 0.0f},
        {50.0f, -300.0f, false, -25, -50, 1.6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " time " << c.time);
        EXPECT_EQ(Explosion::IsVisible(c.size, c.time), c.visible);
        EXPECT_EQ(Explosion::SpriteHalfExtent(c.size, c.time), c.sprite);
        EXPECT_EQ(Explosion::ShockwaveHalfExtent(c.size, c.time), c.shockwave);
        EXPECT_NEAR(Explosion::Alpha(c.size, c.time), c.alpha, 1e-5f);
    }
    // Truncation goes toward zero, also below it.
    EXPECT_EQ(Explosion::SpriteHalfExtent(-51.0f, 0.0f), -25);
    // Conversions never overflow: huge values clamp, NaN gives an empty quad.
    EXPECT_EQ(Explosion::SpriteHalfExtent(1e12f, 1e12f), Explosion::kMaxHalfExtent);
    EXPECT_EQ(Explosion::ShockwaveHalfExtent(-1e30f, 0.0f), -Explosion::kMaxHalfExtent);
    EXPECT_EQ(Explosion::SpriteHalfExtent(nan, 1.0f), 0);
    EXPECT_FALSE(Explosion::IsVisible(nan, 1.0f));
    EXPECT_FALSE(Explosion::IsVisible(50.0f, nan));
}

}  // namespace
