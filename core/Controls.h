// What the player asks of the game at one moment, joined from the keyboard
// and the gamepad seams into one state. Steering is digital from the arrow
// keys, W A S D and the d-pad (each exactly a key), proportional from the left
// stick beyond a dead zone; presses are edges since this object's previous
// Read, so every reader keeps its own Controls (the ship for its updates, the
// game for its frames) and a button held for many reads counts once.
#pragma once

class Controls {
public:
    struct State {
        // Each in -1..1, 1 being a held key: x towards the ship's +x (the
        // screen's left), y forwards (the screen's top).
        float steerX = 0.0f;
        float steerY = 0.0f;
        // The weapon level a held digit key asks for (0 counts as 10, the last
        // of 1..9, 0 held wins), or 0 when no digit is held.
        int level = 0;
        // -1, 0 or 1: the lower or raise shoulder button went down since the
        // previous read (both at once cancel).
        int levelStep = 0;
        // The Start button went down since the previous read.
        bool start = false;
    };

    // Stick deflections up to this size read as 0: worn sticks rest off centre.
    static constexpr float kDeadZone = 0.2f;

    State Read();

    // One stick axis: 0 inside the dead zone, the deflection itself beyond it,
    // so half a deflection steers half as hard as a key and a full one as hard.
    static float StickAxis(float deflection);

private:
    bool lowerHeld = false;
    bool raiseHeld = false;
    bool startHeld = false;
};
