#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cmath>
#include <string>

#include "core/RunState.h"

namespace {

// Runs `frames` frames of `frameTime` the way the frame loop does.
void Play(RunState& run, int frames, float frameTime)
{
    for (int i = 0; i < frames; ++i)
        for (int s = run.StepCount(false); s > 0; --s)
            run.AfterStep(RunState::StepTime(frameTime));
}

// The score is bounded, ignores NaN and counts while the run ends. (That only
// the first end counts: ScriptManagerTest; that a new run starts from
// nothing: GameGLTest.)
TEST(RunState, KeysAndFocusPauseAndRestartStepTimeIsCappedAndTheScoreBounded)
{
    for (auto [frame, step] : {std::pair{500.0f, 100.0f}, {-3, 0}, {NAN, 0}})
        EXPECT_EQ(step, RunState::StepTime(frame)) << frame;

    using R = RunState::Restart;
    RunState run;
    std::string heard;  // P(aused) R(esumed) E(nding) D(one) S(tarted)
    run.SetListener([&heard](RunState::Event e) { heard += "PREDS"[static_cast<int>(e)]; });
    run.Start();
    for (double points : {150.0, -50.0, double(NAN), 1e300})
        run.AddScore(points);
    EXPECT_EQ(1e15, run.GetScore());
    run.AddScore(-1e300);
    EXPECT_EQ(-1e15, run.GetScore());
    run.AddScore(1e15);
    run.AddScore(250);
    for (int key : {int('P'), GLFW_KEY_PAUSE, GLFW_KEY_ESCAPE, int('P'), GLFW_KEY_ENTER})
        run.OnKey(key);
    EXPECT_EQ(R::None, run.TakeRestart()) << "only a run that has ended restarts on Enter";

    // A window that never had the focus is not paused by a focus-out; coming back does not resume.
    run.OnFocus(false);
    EXPECT_FALSE(run.IsPaused());
    run.OnFocus(true);
    run.OnFocus(false);
    run.OnFocus(true);
    EXPECT_TRUE(run.IsPaused() && !run.IsPlaying());
    run.OnKey('P');

    // Paused time never reaches the ending clock; a held picture is not paused.
    run.EndGame("Level clear");
    run.AddScore(100);
    EXPECT_EQ(350, run.GetScore());
    Play(run, 10, 100);
    run.OnKey('P');
    Play(run, 100, 100);
    EXPECT_EQ(1000.0f, run.GetEndingTime());
    run.OnKey('P');
    Play(run, 10, 100);
    EXPECT_EQ(RunState::Phase::Ended, run.GetPhase());
    run.OnKey('P');
    run.OnFocus(false);
    EXPECT_FALSE(run.IsPaused());
    EXPECT_EQ("SPRPRPREPRD", heard);

    run.OnKey(GLFW_KEY_ENTER);
    EXPECT_EQ(R::NewRun, run.TakeRestart());
    run.OnKey(GLFW_KEY_F5);  // a reload wins over a new run asked for in the same frame
    run.OnKey(GLFW_KEY_KP_ENTER);
    EXPECT_EQ(R::Reload, run.TakeRestart());
}

}  // namespace
