// What is at stake in one run of the level, and the states the frame loop
// goes through around its steps:
//
//   running --EndGame--> ending (about two seconds: the world runs on, the
//   player's controls are off) --> ended (no more steps; the picture holds
//   with the message and the score until Enter starts a new run).
//
// Pausing (P, Pause, Escape, or the window losing the focus it had) stops
// every step while running or ending; the frame keeps drawing. F5 asks for a
// reload at any time. The class only decides: the frame loop asks it how
// many steps of what length to run and carries out restarts. No GL, no
// window: the game, the headless checker and the tests share it.
//
// Other subsystems (sound) follow the run through the listener, which hears
// every change as it happens.
#pragma once

#include <functional>
#include <string>

class RunState {
public:
    enum class Phase { Running, Ending, Ended };
    enum class Event { Paused, Resumed, Ending, Ended, Started };
    enum class Restart { None, NewRun, Reload };

    // On a hitch the game slows down for a frame instead of taking one long
    // step: the player's drag term overshoots for steps above about 225 ms.
    static constexpr float kMaxStep = 100.0f;
    // Tab held: four steps per frame.
    static constexpr int kFastForwardSteps = 4;
    // How long the world runs on after EndGame before the picture holds.
    static constexpr float kEndingTime = 2000.0f;

    RunState() = default;
    virtual ~RunState() = default;

    // A new run: running, not paused, score 0, no message. Tells the listener.
    void Start();

    // The time one step of this frame covers: the frame's time, at most
    // kMaxStep, never negative (a clock that went backwards gives 0).
    static float StepTime(float frameTime);
    // Steps to run this frame: none while paused or once ended.
    int StepCount(bool fastForward) const;
    // Called after each step of `dt`: the ending clock runs on steps, so it
    // stands still while paused.
    void AfterStep(float dt);

    // Ends the run with `message` shown. Only the first call of a run counts;
    // later ones are ignored and return false.
    bool EndGame(const std::string& message);
    // Points may be negative; the sum is kept within +-1e15 so it stays exact.
    void AddScore(double points);
    double GetScore() const { return score; }

    // A key pressed this frame (the window library's key code and modifier
    // bits). Enter with Alt held is the full-screen switch, not a new run.
    void OnKey(int key, int mods = 0);
    // The gamepad's Start button went down: pauses and resumes, and after
    // the end of a run starts a new one, as Enter does.
    void OnStartButton();
    // The window gained or lost the input focus. Only a loss after the
    // window had the focus pauses: a window that never got it runs on.
    void OnFocus(bool focused);
    void SetPaused(bool paused);

    // The restart asked for since the last call, and clears it.
    Restart TakeRestart();

    Phase GetPhase() const { return phase; }
    bool IsPaused() const { return paused; }
    // True while the player may steer.
    bool IsPlaying() const { return phase == Phase::Running && !paused; }
    const std::string& GetMessage() const { return message; }
    float GetEndingTime() const { return endingTime; }

    void SetListener(std::function<void(Event)> listener) { this->listener = std::move(listener); }

private:
    void Tell(Event event);

    Phase phase = Phase::Running;
    bool paused = false;
    bool hadFocus = false;
    double score = 0.0;
    std::string message;
    float endingTime = 0.0f;
    Restart restart = Restart::None;
    std::function<void(Event)> listener;
};
