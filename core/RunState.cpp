#include "core/RunState.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace {

const double kScoreLimit = 1e15;

}  // namespace

void RunState::Start()
{
    phase = Phase::Running;
    paused = false;
    score = 0.0;
    message.clear();
    endingTime = 0.0f;
    Tell(Event::Started);
}

float RunState::StepTime(float frameTime)
{
    if (!(frameTime > 0.0f))  // also NaN
        return 0.0f;
    return std::min(frameTime, kMaxStep);
}

int RunState::StepCount(bool fastForward) const
{
    if (paused || phase == Phase::Ended)
        return 0;
    return fastForward ? kFastForwardSteps : 1;
}

void RunState::AfterStep(float dt)
{
    if (phase != Phase::Ending)
        return;
    endingTime += dt;
    if (endingTime >= kEndingTime) {
        phase = Phase::Ended;
        // A held picture needs no pause; Enter is the way on.
        paused = false;
        Tell(Event::Ended);
    }
}

bool RunState::EndGame(const std::string& text)
{
    if (phase != Phase::Running)
        return false;
    phase = Phase::Ending;
    message = text;
    endingTime = 0.0f;
    Tell(Event::Ending);
    return true;
}

void RunState::AddScore(double points)
{
    if (!std::isfinite(points))
        return;
    score = std::clamp(score + points, -kScoreLimit, kScoreLimit);
}

void RunState::OnKey(int key, int mods)
{
    switch (key) {
    case 'P':
    case GLFW_KEY_PAUSE:
    case GLFW_KEY_ESCAPE:
        if (phase != Phase::Ended)
            SetPaused(!paused);
        break;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER:
        if (phase == Phase::Ended && restart == Restart::None && !(mods & GLFW_MOD_ALT))
            restart = Restart::NewRun;
        break;
    case GLFW_KEY_F5:
        restart = Restart::Reload;
        break;
    default:
        break;
    }
}

void RunState::OnStartButton()
{
    if (phase != Phase::Ended)
        SetPaused(!paused);
    else if (restart == Restart::None)
        restart = Restart::NewRun;
}

void RunState::OnFocus(bool focused)
{
    if (focused) {
        hadFocus = true;
        return;
    }
    if (hadFocus && phase != Phase::Ended)
        SetPaused(true);
}

void RunState::SetPaused(bool on)
{
    if (on == paused)
        return;
    paused = on;
    Tell(on ? Event::Paused : Event::Resumed);
}

RunState::Restart RunState::TakeRestart()
{
    const Restart asked = restart;
    restart = Restart::None;
    return asked;
}

void RunState::Tell(Event event)
{
    if (listener)
        listener(event);
}
