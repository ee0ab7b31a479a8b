#include "core/Controls.h"

#include <cmath>

#include <GLFW/glfw3.h>

#include "core/Gamepad.h"
#include "core/Keyboard.h"

namespace {

bool Held(int key, int letter, bool padButton)
{
    return Keyboard::IsHeld(key) || Keyboard::IsHeld(letter) || padButton;
}

// Digital and stick together never steer harder than a key alone.
float Clamp(float v)
{
    return v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : v);
}

// True on the read where the button goes down.
bool Pressed(bool now, bool& before)
{
    const bool pressed = now && !before;
    before = now;
    return pressed;
}

}  // namespace

float Controls::StickAxis(float deflection)
{
    if (!(std::fabs(deflection) > kDeadZone))  // NaN from a broken driver too
        return 0.0f;
    return Clamp(deflection);
}

Controls::State Controls::Read()
{
    const GamepadState pad = Gamepad::Read();
    auto button = [&](int b) { return pad.buttons[static_cast<size_t>(b)]; };
    State state;

    // Digits in the order 1..9 then 0, so the last one held wins.
    for (int digit = 1; digit <= 10; ++digit)
        if (Keyboard::IsHeld(digit == 10 ? '0' : '0' + digit))
            state.level = digit;

    const bool up = Held(GLFW_KEY_UP, 'W', button(GLFW_GAMEPAD_BUTTON_DPAD_UP));
    const bool down = Held(GLFW_KEY_DOWN, 'S', button(GLFW_GAMEPAD_BUTTON_DPAD_DOWN));
    const bool left = Held(GLFW_KEY_LEFT, 'A', button(GLFW_GAMEPAD_BUTTON_DPAD_LEFT));
    const bool right = Held(GLFW_KEY_RIGHT, 'D', button(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT));
    // The pad's axes grow rightwards and downwards; the ship's x grows to the
    // screen's left and its y forwards.
    state.steerX = Clamp(float(left) - float(right) - StickAxis(pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X]));
    state.steerY = Clamp(float(up) - float(down) - StickAxis(pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y]));

    state.levelStep = int(Pressed(button(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER), raiseHeld)) -
                      int(Pressed(button(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER), lowerHeld));
    state.start = Pressed(button(GLFW_GAMEPAD_BUTTON_START), startHeld);
    return state;
}
