// The screen over the picture when the run is not being played: while paused
// the frame is darkened with "Paused" and "Press P to resume" centred; once
// the run has ended the held picture is darkened with the end message, the
// final score and "Press Enter to play again" centred. Reads the run through
// GlobalInfo on every draw and draws nothing while the run is played or
// ending, or when there is no run. Keeps no state.
#pragma once

#include "ui/GUI.h"

class RunState;

class RunScreen : public GUI {
public:
    // How dark the picture gets: the alpha of the black laid over it.
    static constexpr float kPausedShade = 0.6f;
    static constexpr float kEndedShade = 0.45f;

    void Draw() override;
    void Update(float dt) override;

    // True when a run is paused or has ended: something to draw.
    static bool Shows(const RunState* run);

private:
    void Shade(float alpha);
};
