// Explosions without GL: the chain a new explosion leaves in the container,
// its life from delay to removal, and the sprite geometry it would draw.
#include <cmath>
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

const float kNaN = std::numeric_limits<float>::quiet_NaN();

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

    GraphicalEffects effects;
};

TEST_F(ExplosionTest, ChainTakesItsDrawsXThenZParentFirstAndStandsDeepestFirst)
{
    // Explode(0, 0, 60, 0): the 60 draws the offset of the 40, which draws the offset of the 20.
    ScriptedRandom random({0, 32767, 16384, 8192});
    effects.AddExplosion(60.0f, Vec2(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(random.Taken(), 4u);
    ASSERT_EQ(effects.GetEffectCount(), 3u);
    const float sizes[] = {20, 40, 60}, delays[] = {100, 50, 0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(At(i).GetSize(), sizes[i]);
        EXPECT_FLOAT_EQ(At(i).GetTime(), -delays[i]);
        EXPECT_FLOAT_EQ(At(i).GetPosition().y, 10.0f);
    }
    // The extreme draws give the extreme offsets, -60 and 60.
    EXPECT_EQ(At(2).GetPosition().x + At(2).GetPosition().z, 0.0f);
    EXPECT_FLOAT_EQ(At(1).GetPosition().x, -60.0f);
    EXPECT_FLOAT_EQ(At(1).GetPosition().z, 60.0f);
    EXPECT_NEAR(At(0).GetPosition().x, -60.0f + (16384.0f / 32767.0f * 120.0f - 60.0f), 1e-3f);
    EXPECT_NEAR(At(0).GetPosition().z, 60.0f + (8192.0f / 32767.0f * 120.0f - 60.0f), 1e-3f);
}

TEST_F(ExplosionTest, ChainLengthsAndDelaysFollowTheSizeAndAreBounded)
{
    const struct {
        float size, delay;
        std::vector<float> sizes;  // in container order
    } cases[] = {
        {45, 0, {5, 25, 45}}, {20, 0, {20}}, {20.5f, 0, {0.5f, 20.5f}}, {60, 300, {20, 40, 60}}, {kNaN, 0, {0}}
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay);
        size_t draws = 0;
        GFX::SetRandomSource([&] { return static_cast<int>(++draws % 2 ? 0 : 32767); });
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec3(0.0f, 10.0f, 0.0f), c.delay);
        const size_t n = c.sizes.size();
        ASSERT_EQ(local.GetEffectCount(), n);
        EXPECT_EQ(draws, 2 * (n - 1));  // two draws per link, none without a chain
        for (size_t i = 0; i < n; ++i) {
            auto* link = static_cast<const Explosion*>(local.GetEffect(i));
            EXPECT_TRUE(link->GetSize() == c.sizes[i] || std::isnan(c.size)) << i;
            // Link k of the chain (k = 0 for the explosion itself) starts 50 k ms later.
            EXPECT_FLOAT_EQ(link->GetTime(), -(c.delay + 50.0f * static_cast<float>(n - 1 - i)));
        }
    }
    // A huge explosion's chain is bounded: links 20, 40, ... 980 and itself.
    GFX::SetRandomSource({});  // the scripted source above captured a finished loop's counter
    GlobalInfo::Instance().SetEffects(&effects);
    effects.AddExplosion(1e9f, Vec2(), 0.0f);
    EXPECT_EQ(effects.GetEffectCount(), 50u);
}

// Visible only after its delay and for size x 10 ms, removed by the first
// update that reaches its end; size 0 or less (or NaN) never visible and gone
// at its first update, even when a negative delay has started its clock.
TEST_F(ExplosionTest, LifeFromDelayToRemoval)
{
    struct Case {
        float size, delay, dt;
    } cases[] = {{20, 300, 16}, {15, 0, 7}, {0, 0, 16}, {-10, 0, 16}, {0, -100, 16}, {kNaN, 0, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay << " dt " << c.dt);
        GraphicalEffects local;  // sizes of 20 or less: no chain, one explosion
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec2(), c.delay);
        const bool lives = c.size > 0;
        float elapsed = 0.0f, firstVisible = -1.0f;
        while (local.GetEffectCount() == 1 && elapsed < 1e5f) {
            auto* e = static_cast<const Explosion*>(local.GetEffect(0));
            const bool visible = Explosion::IsVisible(e->GetSize(), e->GetTime());
            EXPECT_EQ(visible, lives && elapsed > c.delay) << "at " << elapsed << " ms";
            if (visible && firstVisible < 0.0f)
                firstVisible = elapsed;
            local.Update(c.dt);
            elapsed += c.dt;
        }
        EXPECT_EQ(local.GetEffectCount(), 0u);
        if (!lives) {
            EXPECT_EQ(elapsed, c.dt);
            continue;
        }
        const float end = c.delay + c.size * 10.0f;
        EXPECT_GE(elapsed, end);
        EXPECT_LT(elapsed - c.dt, end);
        EXPECT_GT(firstVisible, c.delay);
        EXPECT_LE(firstVisible, c.delay + c.dt);
    }
}

TEST(ExplosionGeometry, HalfExtentsAndAlphaThroughALife)
{
    struct Case {
        float size, time;
        bool visible;
        int sprite, shockwave;
        float alpha;
    } cases[] = {
        {50, 1, true, 25, 50, 0.998f},  // just after the start
        {50, 250, true, 66, 133, 0.5f},
        {10, 5, true, 5, 11, 0.95f},  // truncation of 5.83 and 11.67
        {50, 0, false, 25, 50, 1.0f},  // outside the life: before the start, at its end
        {50, 500, false, 108, 216, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " time " << c.time);
        EXPECT_EQ(Explosion::IsVisible(c.size, c.time), c.visible);
        EXPECT_EQ(Explosion::SpriteHalfExtent(c.size, c.time), c.sprite);
        EXPECT_EQ(Explosion::ShockwaveHalfExtent(c.size, c.time), c.shockwave);
        EXPECT_NEAR(Explosion::Alpha(c.size, c.time), c.alpha, 1e-5f);
    }
    // Conversions never overflow: huge values clamp, NaN gives an empty quad.
    EXPECT_EQ(Explosion::SpriteHalfExtent(1e12f, 1e12f), Explosion::kMaxHalfExtent);
    EXPECT_EQ(Explosion::SpriteHalfExtent(kNaN, 1.0f), 0);
}

}  // namespace
