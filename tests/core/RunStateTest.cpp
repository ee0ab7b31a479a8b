#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/RunState.h"

namespace {

// Every event the listener heard, as letters: P(aused) R(esumed) E(nding) D(one) S(tarted).
struct Heard {
    explicit Heard(RunState& run)
    {
        run.SetListener([this](RunState::Event e) { text += "PREDS"[static_cast<int>(e)]; });
    }
    std::string text;
};

// Runs `frames` frames of `frameTime` the way the frame loop does.
float Play(RunState& run, int frames, float frameTime, bool fastForward = false)
{
    float simulated = 0;
    for (int i = 0; i < frames; ++i) {
        const float dt = RunState::StepTime(frameTime);
        for (int s = run.StepCount(fastForward); s > 0; --s) {
            simulated += dt;
            run.AfterStep(dt);
        }
    }
    return simulated;
}

TEST(RunState, KeysAndFocusPauseAndRestartAndStepTimeIsCappedAndNeverNegative)
{
    for (auto [frame, step] : {std::pair{16.0f, 16.0f}, {500, 100}, {-3, 0}, {NAN, 0}})
        EXPECT_EQ(step, RunState::StepTime(frame)) << frame;

    using R = RunState::Restart;
    RunState run;
    Heard heard(run);
    run.Start();
    for (int key : {int('P'), GLFW_KEY_PAUSE, GLFW_KEY_ESCAPE, int('P')})
        run.OnKey(key);
    EXPECT_EQ("SPRPR", heard.text);
    run.OnKey(GLFW_KEY_ENTER);  // only a run that has ended restarts on Enter
    EXPECT_EQ(R::None, run.TakeRestart());

    // A window that never had the focus is not paused by a focus-out.
    run.OnFocus(false);
    EXPECT_FALSE(run.IsPaused());
    run.OnFocus(true);
    run.OnFocus(false);
    EXPECT_TRUE(run.IsPaused());
    run.OnFocus(true);  // coming back does not resume by itself
    EXPECT_TRUE(run.IsPaused());
    EXPECT_FALSE(run.IsPlaying());
    run.OnKey('P');

    // Paused time never reaches the ending clock.
    run.EndGame("Level clear");
    Play(run, 10, 100);
    run.OnKey('P');
    Play(run, 100, 100);
    EXPECT_EQ(1000.0f, run.GetEndingTime());
    run.OnKey('P');
    Play(run, 10, 100);
    EXPECT_EQ(RunState::Phase::Ended, run.GetPhase());
    EXPECT_FALSE(run.IsPaused());
    run.OnKey('P');  // a held picture is not paused
    run.OnFocus(false);
    EXPECT_FALSE(run.IsPaused());
    EXPECT_EQ("SPRPRPREPRD", heard.text);

    run.OnKey(GLFW_KEY_ENTER);
    EXPECT_EQ(R::NewRun, run.TakeRestart());
    EXPECT_EQ(R::None, run.TakeRestart());
    run.OnKey(GLFW_KEY_F5);  // a reload wins over a new run asked for in the same frame
    run.OnKey(GLFW_KEY_KP_ENTER);
    EXPECT_EQ(R::Reload, run.TakeRestart());
}

TEST(RunState, OnlyTheFirstEndCountsAndANewRunStartsClean)
{
    RunState run;
    run.Start();
    run.AddScore(150);
    run.AddScore(-50);
    run.AddScore(NAN);
    run.AddScore(1e300);
    EXPECT_EQ(1e15, run.GetScore());
    run.AddScore(-1e15);
    run.AddScore(250);
    EXPECT_TRUE(run.EndGame("Ship destroyed"));
    EXPECT_FALSE(run.EndGame("Level clear"));
    EXPECT_EQ("Ship destroyed", run.GetMessage());
    EXPECT_FALSE(run.IsPlaying());
    run.AddScore(100);  // the last shots still count while the run ends
    EXPECT_EQ(350, run.GetScore());

    run.SetPaused(true);
    run.Start();
    EXPECT_TRUE(run.GetScore() == 0 && run.GetMessage().empty() && run.IsPlaying() && run.StepCount(false) == 1);
}

}  // namespace
