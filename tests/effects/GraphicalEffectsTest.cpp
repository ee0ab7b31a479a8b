// The effects container and its effects, without GL: finished effects go in
// one pass with the rest in order, Draw skips what is below the ground, an
// explosion chains smaller and later ones and lives from its delay to its
// end, and an enemy's wreck flies off until it is far below the ground.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/EffectRandom.h"
#include "effects/EnemyDeath.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "game/EnemyType.h"
#include "render/Model.h"
#include "render/TextureManager.h"
#include "tests/support/TestFiles.h"

namespace {

using GFX::Explosion;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Lives for a number of updates; logs its name for every call, '~' when destroyed.
class Probe : public GFX::GraphicalEffect {
public:
    Probe(char name_, int lives_, float height_, std::string& log_) : name(name_), lives(lives_), height(height_), log(log_) {}
    ~Probe() override { log += '~'; }
    void Draw(SpriteBatch&) override { log += name; }
    void DrawDistortion(SpriteBatch&) override { log += name; }
    bool Update(float) override { log += name; return --lives > 0; }
    float GetHeight() const override { return height; }
    char name;
    int lives;
    float height;
    std::string& log;
};

class GraphicalEffectsTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalInfo::Instance().SetEffects(&effects); }
    void TearDown() override
    {
        GlobalInfo::Instance().Reset();
        GFX::SetRandomSource({});
    }
    std::string log;
    GraphicalEffects effects;
};

TEST_F(GraphicalEffectsTest, FinishedEffectsGoInOnePassAndDrawSkipsThoseBelowTheGround)
{
    // Finished effects at the front, side by side, alone and at the end.
    for (auto [name, lives] : {std::pair{'a', 1}, {'b', 1}, {'C', 3}, {'d', 1}, {'E', 3}, {'F', 3}, {'g', 1}, {'h', 1}})
        effects.Add(std::make_unique<Probe>(name, lives, name == 'E' ? -0.5f : name == 'F' ? 0.0f : 10.0f, log));
    effects.Update(16.0f);
    EXPECT_EQ(log, "a~b~Cd~EFg~h~");
    log.clear();
    effects.Draw();
    EXPECT_EQ(log, "CF");  // E is below the ground plane, F on it
    log.clear();
    effects.DrawDistortion();
    effects.Update(16.0f);
    effects.Update(16.0f);
    EXPECT_EQ(log, "CEFCEFC~E~F~");
    EXPECT_EQ(effects.GetEffectCount(), 0u);
}

// Each link of a chain draws x then z offsets; the draws alternate 0 and the
// maximum here, so every link lies 60 further in -x and +z than its parent,
// 20 smaller and 50 ms later. An explosion is visible only after its delay
// and for size x 10 ms, removed by the first update that reaches its end (its
// links end sooner); size 0 or less (or NaN) is never visible and gone at its
// first update, even when a negative delay has started its clock. The
// effects say they have a shockwave exactly when one is drawn.
TEST_F(GraphicalEffectsTest, AnExplosionChainsSmallerLaterOnesAndLivesFromItsDelayToItsEnd)
{
    TextureManager noSprites;
    Explosion::SetTextureSource(&noSprites);
    const struct { float size, delay, dt; std::vector<float> sizes; } cases[] = {  // sizes: the deepest link first
        {45, 0, 16, {5, 25, 45}}, {20, 300, 16, {20}}, {20.5f, 0, 16, {0.5f, 20.5f}}, {60, 300, 16, {20, 40, 60}},
        {15, 0, 7, {15}}, {20, 0, 10, {20}},  // the last ends exactly on an update
        {0, 0, 16, {0}}, {-10, 0, 16, {-10}}, {0, -100, 16, {0}}, {kNaN, 0, 16, {kNaN}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " delay " << c.delay << " dt " << c.dt);
        size_t draws = 0;
        GFX::SetRandomSource([&] { return ++draws % 2 ? 0 : GFX::kRandomMax; });
        GraphicalEffects local;
        GlobalInfo::Instance().SetEffects(&local);
        local.AddExplosion(c.size, Vec2(0.0f, 0.0f), c.delay);
        const size_t n = c.sizes.size();
        ASSERT_EQ(local.GetEffectCount(), n);
        EXPECT_EQ(draws, 2 * (n - 1));
        for (size_t i = 0; i < n; ++i) {
            auto* link = static_cast<const Explosion*>(local.GetEffect(i));
            const float depth = static_cast<float>(n - 1 - i);
            EXPECT_TRUE(link->GetSize() == c.sizes[i] || std::isnan(c.size)) << i;
            EXPECT_FLOAT_EQ(link->GetTime(), -(c.delay + 50.0f * depth)) << i;
            const Vec3& p = link->GetPosition();
            EXPECT_TRUE(p.x == -60.0f * depth && p.y == 10.0f && p.z == 60.0f * depth) << i;
        }
        const bool lives = c.size > 0;
        float elapsed = 0.0f;
        while (local.GetEffectCount() > 0 && elapsed < 1e5f) {
            auto* e = static_cast<Explosion*>(local.GetEffect(local.GetEffectCount() - 1));
            EXPECT_EQ(Explosion::IsVisible(e->GetSize(), e->GetTime()), lives && elapsed > c.delay) << elapsed;
            SpriteBatch shockwaves;
            for (size_t i = 0; i < local.GetEffectCount(); ++i)
                CaptureStdout([&] { local.GetEffect(i)->DrawDistortion(shockwaves); });
            EXPECT_EQ(local.HasDistortion(), shockwaves.GetQueued() > 0) << elapsed;
            local.Update(c.dt);
            elapsed += c.dt;
        }
        EXPECT_EQ(elapsed, lives ? std::ceil((c.delay + c.size * 10.0f) / c.dt) * c.dt : c.dt);
    }
    Explosion::SetTextureSource(nullptr);
    GFX::SetRandomSource({});
    GlobalInfo::Instance().SetEffects(&effects);
    effects.AddExplosion(1e9f, Vec2(), 0.0f);  // links 20, 40, ... 980 and itself
    EXPECT_EQ(effects.GetEffectCount(), 50u);
    // Sizes convert to pixels without overflow: huge values clamp, NaN is empty.
    EXPECT_EQ(Explosion::SpriteHalfExtent(1e12f, 1e12f), Explosion::kMaxHalfExtent);
    EXPECT_EQ(Explosion::ShockwaveHalfExtent(kNaN, 1.0f), 0);
}

// (The wreck and its explosion where the enemy died: ShippedFramesGL.)
TEST_F(GraphicalEffectsTest, AWreckFliesUpTumblesAndFallsUntilRemoved)
{
    EnemyType type{"bomber", std::make_unique<Model>(), 3, 41, 100};
    effects.AddEnemyDeath(nullptr, Vec2(1.0f, 2.0f));  // no type: nothing at all
    EXPECT_EQ(effects.GetEffectCount(), 0u);

    // Drifts of +2 in z and -2 in x, drawn in that order.
    GlobalInfo::Instance().SetEffects(nullptr);  // just the wreck
    int draw = 0;
    GFX::SetRandomSource([&] { return draw++ == 0 ? GFX::kRandomMax : 0; });
    GFX::EnemyDeath wreck(&type, Vec2(10.0f, 20.0f));
    // Per 20 ms: moves by its velocity, turns by four times it, and loses 2/3
    // of its climb; so after n steps it is 7n - n(n-1)/3 high, peaking near
    // 40, and the 67th step takes it below -1000, which removes it.
    int steps = 0;
    float peak = 0.0f;
    while (wreck.Update(20.0f) && steps < 1000) {
        ++steps;
        peak = std::max(peak, wreck.GetPosition().y);
        EXPECT_GT(wreck.GetPosition().y, GFX::EnemyDeath::kRemovalDepth);
    }
    EXPECT_EQ(steps + 1, 67);
    EXPECT_NEAR(peak, 40.33f, 0.01f);
    EXPECT_TRUE(wreck.GetPosition().x == 10.0f - 2.0f * 67.0f && wreck.GetPosition().z == 20.0f + 2.0f * 67.0f &&
                wreck.GetRotation().z == 8.0f * 67.0f);
}

}  // namespace
