// The seam through which game code reads gamepads, beside the Keyboard seam.
// By default it asks the window library for the first connected joystick that
// its built-in mapping database knows as a gamepad, looked up again on every
// read so that a pad plugged in during play is picked up; tests install their
// own source. Button and axis indices are the window library's gamepad ones
// (GLFW_GAMEPAD_BUTTON_*, GLFW_GAMEPAD_AXIS_*).
#pragma once

#include <array>
#include <functional>

struct GamepadState {
    static constexpr int kButtons = 15;
    static constexpr int kAxes = 6;

    bool connected = false;
    std::array<bool, kButtons> buttons{};
    // Sticks in -1..1, y positive downwards; triggers -1 (released) to 1.
    std::array<float, kAxes> axes{};
};

namespace Gamepad {

using Source = std::function<GamepadState()>;

// The pad's state now; a disconnected one when there is none or no window.
GamepadState Read();
// Replaces the source; an empty function restores the window library.
void SetSource(Source source);

}  // namespace Gamepad
