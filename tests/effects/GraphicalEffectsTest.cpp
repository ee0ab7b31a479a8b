// The effects container and the enemy wreck, without GL: removal of finished
// effects, the ground-plane filter of Draw, and the wreck's flight until it
// is removed.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/EffectRandom.h"
#include "effects/EnemyDeath.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "game/EnemyType.h"
#include "render/Model.h"
#include "tests/effects/ScriptedRandom.h"
#include "tests/game/GameplayFixture.h"

namespace {

using Journal = std::vector<std::string>;

// An effect that logs every call it receives into a shared journal.
class Probe : public GFX::GraphicalEffect {
public:
    Probe(std::string name_, int updatesToLive_, float height_, Journal& journal_)
        : name(std::move(name_)), updatesToLive(updatesToLive_), height(height_), journal(journal_)
    {
    }
    ~Probe() override { journal.push_back("~" + name); }
    void Draw(SpriteBatch&) override { journal.push_back("draw " + name); }
    void DrawDistortion(SpriteBatch&) override { journal.push_back("distort " + name); }
    bool Update(float) override
    {
        journal.push_back("update " + name);
        return --updatesToLive > 0;
    }
    float GetHeight() const override { return height; }

private:
    std::string name;
    int updatesToLive;
    float height;
    Journal& journal;
};

class GraphicalEffectsTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalInfo::Instance().SetEffects(&effects); }
    void TearDown() override
    {
        GlobalInfo::Instance().Reset();
        GFX::SetRandomSource({});
    }

    void AddProbe(const std::string& name, int updatesToLive, float height = 10.0f)
    {
        effects.Add(std::make_unique<Probe>(name, updatesToLive, height, journal));
    }
    Journal Take() { return std::exchange(journal, {}); }

    Journal journal;
    GraphicalEffects effects;
    EnemyType type{"bomber", std::make_unique<Model>(), 3, 41, 100};
};

TEST_F(GraphicalEffectsTest, SeveralRemovalsKeepTheSurvivorsInOrderAndUpdateEachOnce)
{
    // Finished effects at the front, side by side, alone and at the end.
    for (auto [name, lives] : {std::pair{"a", 1}, {"b", 1}, {"C", 3}, {"d", 1}, {"E", 3}, {"F", 3}, {"g", 1}, {"h", 1}})
        AddProbe(name, lives);
    effects.Update(16.0f);
    EXPECT_EQ(Take(), (Journal{"update a", "~a", "update b", "~b", "update C", "update d", "~d", "update E",
                               "update F", "update g", "~g", "update h", "~h"}));
    effects.Update(16.0f);
    EXPECT_EQ(Take(), (Journal{"update C", "update E", "update F"}));
    effects.Update(16.0f);
    EXPECT_EQ(Take(), (Journal{"update C", "~C", "update E", "~E", "update F", "~F"}));
    EXPECT_EQ(effects.GetEffectCount(), 0u);
}

TEST_F(GraphicalEffectsTest, DrawSkipsButKeepsEffectsBelowTheGroundAndDistortionVisitsAll)
{
    for (auto [name, height] : {std::pair{"high", 10.0f}, {"ground", 0.0f}, {"below", -0.5f}, {"last", 3.0f}})
        AddProbe(name, 5, height);
    effects.Draw();
    EXPECT_EQ(Take(), (Journal{"draw high", "draw ground", "draw last"}));
    effects.DrawDistortion();
    EXPECT_EQ(Take(), (Journal{"distort high", "distort ground", "distort below", "distort last"}));
    EXPECT_EQ(effects.GetEffectCount(), 4u);
}

TEST_F(GraphicalEffectsTest, WreckDrawsZDriftThenXDriftAndStandsAfterItsExplosion)
{
    // Draws: z drift from 0, x drift from 32767, then the explosion's chain.
    ScriptedRandom random({0, 32767, 16384, 16384, 16384, 16384});
    effects.AddEnemyDeath(&type, Vec2(100.0f, 200.0f));
    EXPECT_EQ(random.Taken(), 6u);
    // Size 41 / 2 + 25 in floating point: 45.5, chaining 25.5 and 5.5 first.
    ASSERT_EQ(effects.GetEffectCount(), 4u);
    const float sizes[] = {5.5f, 25.5f, 45.5f};
    for (size_t i = 0; i < 3; ++i) {
        auto* explosion = dynamic_cast<const GFX::Explosion*>(effects.GetEffect(i));
        ASSERT_NE(explosion, nullptr);
        EXPECT_FLOAT_EQ(explosion->GetSize(), sizes[i]);
    }
    auto* blast = static_cast<const GFX::Explosion*>(effects.GetEffect(2));
    EXPECT_EQ("0 100 10 200", Join(blast->GetTime(), blast->GetPosition()));
    auto* wreck = dynamic_cast<const GFX::EnemyDeath*>(effects.GetEffect(3));
    ASSERT_NE(wreck, nullptr);
    EXPECT_EQ(wreck->GetModel(), type.GetModel());
    EXPECT_EQ("2 7 -2 100 0 200", Join(wreck->GetVelocity(), wreck->GetPosition()));

    effects.AddEnemyDeath(nullptr, Vec2(1.0f, 2.0f));  // no type: no wreck, no explosion, no draws
    EXPECT_EQ(effects.GetEffectCount(), 4u);
}

TEST_F(GraphicalEffectsTest, WreckFliesUpTumblesAndFallsUntilRemovedAtMinusThousand)
{
    GlobalInfo::Instance().SetEffects(nullptr);  // just the wreck, no explosion
    ScriptedRandom random({32767, 0});           // z drift +2, x drift -2
    GFX::EnemyDeath wreck(&type, Vec2(10.0f, 20.0f));

    // One 20 ms step moves by one velocity, turns by four, and takes 2/3 off the climb.
    ASSERT_TRUE(wreck.Update(20.0f));
    EXPECT_EQ("8 7 22 -8 8", Join(wreck.GetPosition(), wreck.GetRotation().x, wreck.GetRotation().z));
    EXPECT_FLOAT_EQ(wreck.GetVelocity().y, 7.0f - 20.0f / 30.0f);

    // After n steps of 20 ms the height is 7n - n(n-1)/3: it peaks near 40,
    // is back at the ground after 22 steps, below -1000 after 67, when the
    // update says it is finished.
    std::vector<float> heights = {0.0f, wreck.GetPosition().y};  // by step
    while (wreck.Update(20.0f) && heights.size() < 1000) {
        heights.push_back(wreck.GetPosition().y);
        EXPECT_GT(heights.back(), -1000.0f);
    }
    heights.push_back(wreck.GetPosition().y);
    ASSERT_EQ(heights.size(), 68u);
    EXPECT_LE(heights[67], -1000.0f);
    EXPECT_NEAR(heights[66], -968.0f, 0.05f);
    EXPECT_NEAR(*std::max_element(heights.begin(), heights.end()), 40.33f, 0.01f);
    EXPECT_NEAR(heights[22], 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(wreck.GetPosition().x, 10.0f - 2.0f * 67.0f);
    EXPECT_FLOAT_EQ(wreck.GetRotation().z, 8.0f * 67.0f);
}

}  // namespace
