// The effects container and the enemy wreck, without GL: order of appending,
// removal of finished effects, the ground-plane filter of Draw, and the
// wreck's flight until it is removed.
#include <algorithm>
#include <memory>
#include <string>
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

namespace {

// An effect that logs every call it receives into a shared journal.
class Probe : public GFX::GraphicalEffect {
public:
    Probe(std::string name_, int updatesToLive_, float height_, std::vector<std::string>& journal_)
        : name(std::move(name_)), updatesToLive(updatesToLive_), height(height_), journal(journal_)
    {
    }
    ~Probe() override { journal.push_back("~" + name); }

    void Draw() override { journal.push_back("draw " + name); }
    void DrawDistortion() override { journal.push_back("distort " + name); }
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
    std::vector<std::string>& journal;
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

    std::vector<std::string> journal;
    GraphicalEffects effects;
};

TEST_F(GraphicalEffectsTest, SeveralRemovalsKeepTheSurvivorsInOrderAndUpdateEachOnce)
{
    // Finished effects at the front, side by side, alone and at the end.
    AddProbe("a", 1);
    AddProbe("b", 1);
    AddProbe("C", 3);
    AddProbe("d", 1);
    AddProbe("E", 3);
    AddProbe("F", 3);
    AddProbe("g", 1);
    AddProbe("h", 1);

    effects.Update(16.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"update a", "~a", "update b", "~b", "update C", "update d",
                                                 "~d", "update E", "update F", "update g", "~g", "update h",
                                                 "~h"}));
    ASSERT_EQ(effects.GetEffectCount(), 3u);

    journal.clear();
    effects.Update(16.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"update C", "update E", "update F"}));

    // The third update finishes them all.
    journal.clear();
    effects.Update(16.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"update C", "~C", "update E", "~E", "update F", "~F"}));
    EXPECT_EQ(effects.GetEffectCount(), 0u);
}

TEST_F(GraphicalEffectsTest, DrawSkipsButKeepsEffectsBelowTheGroundAndDistortionVisitsAll)
{
    AddProbe("high", 5, 10.0f);
    AddProbe("ground", 5, 0.0f);
    AddProbe("below", 5, -0.5f);
    AddProbe("deep", 5, -999.0f);
    AddProbe("last", 5, 3.0f);

    effects.Draw();
    EXPECT_EQ(journal, (std::vector<std::string>{"draw high", "draw ground", "draw last"}));
    EXPECT_EQ(effects.GetEffectCount(), 5u);

    journal.clear();
    effects.DrawDistortion();
    EXPECT_EQ(journal, (std::vector<std::string>{"distort high", "distort ground", "distort below",
                                                 "distort deep", "distort last"}));
}

TEST_F(GraphicalEffectsTest, DestructionDestroysEveryEffectStillHeld)
{
    std::vector<std::string> log;
    {
        GraphicalEffects local;
        local.Add(std::make_unique<Probe>("x", 5, 0.0f, log));
        local.Add(std::make_unique<Probe>("y", 5, 0.0f, log));
        local.Add(nullptr);  // ignored
        EXPECT_EQ(local.GetEffectCount(), 2u);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"~x", "~y"}));
}

class EnemyDeathTest : public GraphicalEffectsTest {
protected:
    EnemyType type{"bomber", std::make_unique<Model>(), 3, 41, 100};
};

TEST_F(EnemyDeathTest, WreckDrawsZDriftThenXDriftAndStandsAfterItsExplosion)
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
    EXPECT_FLOAT_EQ(blast->GetTime(), 0.0f);
    EXPECT_FLOAT_EQ(blast->GetPosition().x, 100.0f);
    EXPECT_FLOAT_EQ(blast->GetPosition().y, 10.0f);
    EXPECT_FLOAT_EQ(blast->GetPosition().z, 200.0f);

    auto* wreck = dynamic_cast<const GFX::EnemyDeath*>(effects.GetEffect(3));
    ASSERT_NE(wreck, nullptr);
    EXPECT_EQ(wreck->GetModel(), type.GetModel());
    EXPECT_FLOAT_EQ(wreck->GetVelocity().x, 2.0f);
    EXPECT_FLOAT_EQ(wreck->GetVelocity().y, 7.0f);
    EXPECT_FLOAT_EQ(wreck->GetVelocity().z, -2.0f);
    EXPECT_FLOAT_EQ(wreck->GetPosition().x, 100.0f);
    EXPECT_FLOAT_EQ(wreck->GetPosition().y, 0.0f);
    EXPECT_FLOAT_EQ(wreck->GetPosition().z, 200.0f);
    EXPECT_FLOAT_EQ(wreck->GetHeight(), 0.0f);
}

TEST_F(EnemyDeathTest, NullTypeLeavesNoWreckAndNoExplosion)
{
    ScriptedRandom random({});
    effects.AddEnemyDeath(nullptr, Vec2(1.0f, 2.0f));
    EXPECT_EQ(effects.GetEffectCount(), 0u);
}

TEST_F(EnemyDeathTest, WreckFliesUpTumblesAndFallsUntilRemovedAtMinusThousand)
{
    GlobalInfo::Instance().SetEffects(nullptr);  // just the wreck, no explosion
    ScriptedRandom random({32767, 0});           // z drift +2, x drift -2
    GFX::EnemyDeath wreck(&type, Vec2(10.0f, 20.0f));

    // One 20 ms step moves by one velocity, turns by four, and takes 2/3 off
    // the climb.
    ASSERT_TRUE(wreck.Update(20.0f));
    EXPECT_FLOAT_EQ(wreck.GetPosition().x, 8.0f);
    EXPECT_FLOAT_EQ(wreck.GetPosition().y, 7.0f);
    EXPECT_FLOAT_EQ(wreck.GetPosition().z, 22.0f);
    EXPECT_FLOAT_EQ(wreck.GetRotation().x, -8.0f);
    EXPECT_FLOAT_EQ(wreck.GetRotation().z, 8.0f);
    EXPECT_FLOAT_EQ(wreck.GetVelocity().y, 7.0f - 20.0f / 30.0f);

    // With steps of 20 ms the height after n steps is 7n - n(n-1)/3: it
    // peaks near 40, is back at the ground after 22 steps and below it (no
    // longer drawn) after 23, and below -1000 after 67, when the update says
    // it is finished.
    std::vector<float> heights = {0.0f, wreck.GetPosition().y};  // by step
    bool alive = true;
    while (alive && heights.size() < 1000) {
        alive = wreck.Update(20.0f);
        heights.push_back(wreck.GetPosition().y);
        if (alive) {
            EXPECT_GT(wreck.GetPosition().y, -1000.0f);
        }
    }
    EXPECT_FALSE(alive);
    ASSERT_EQ(heights.size(), 68u);
    EXPECT_LE(heights[67], -1000.0f);
    EXPECT_NEAR(heights[66], -968.0f, 0.05f);
    EXPECT_NEAR(*std::max_element(heights.begin(), heights.end()), 40.33f, 0.01f);
    EXPECT_GT(heights[21], 0.0f);
    EXPECT_NEAR(heights[22], 0.0f, 1e-3f);
    EXPECT_LT(heights[23], 0.0f);
    EXPECT_FLOAT_EQ(wreck.GetPosition().x, 10.0f - 2.0f * 67.0f);
    EXPECT_FLOAT_EQ(wreck.GetRotation().z, 8.0f * 67.0f);
}

TEST_F(EnemyDeathTest, ContainerHoldsTheSunkenWreckUndrawnThenRemovesIt)
{
    effects.AddEnemyDeath(&type, Vec2());
    // The wreck stands last, after its explosion's chain.
    const size_t wreckIndex = effects.GetEffectCount() - 1;
    auto* wreck = dynamic_cast<GFX::EnemyDeath*>(effects.GetEffect(wreckIndex));
    ASSERT_NE(wreck, nullptr);
    // The 45.5 lives 455 ms; its links, 25.5 and 5.5, end earlier.
    effects.Update(460.0f);
    ASSERT_EQ(effects.GetEffectCount(), 1u);
    ASSERT_EQ(effects.GetEffect(0), wreck);

    int framesHeldBelowGround = 0;
    int frames = 0;
    while (effects.GetEffectCount() == 1 && frames < 1000) {
        if (wreck->GetHeight() < 0.0f)
            ++framesHeldBelowGround;
        effects.Update(20.0f);
        ++frames;
    }
    EXPECT_EQ(effects.GetEffectCount(), 0u);
    // Long stretch between sinking out of sight and removal.
    EXPECT_GT(framesHeldBelowGround, 30);
}

}  // namespace
