#include "core/Gamepad.h"

#include <cstdio>
#include <string>

#include <GLFW/glfw3.h>

#include "core/System.h"

namespace Gamepad {

namespace {

Source& CurrentSource()
{
    static Source source;
    return source;
}

// One console line when the pad in use changes, so that a player whose
// controller does nothing can see whether the game found it.
void ReportChange(const char* name)
{
    static std::string current;
    const std::string now = name ? name : "";
    if (now == current)
        return;
    if (now.empty())
        printf("Gamepad disconnected: %s\n", current.c_str());
    else
        printf("Gamepad connected: %s\n", now.c_str());
    fflush(stdout);
    current = now;
}

GamepadState ReadWindowLibrary()
{
    GamepadState state;
    if (!System::Instance().GetWindow())
        return state;
    for (int id = GLFW_JOYSTICK_1; id <= GLFW_JOYSTICK_LAST; ++id) {
        GLFWgamepadstate pad;
        if (!glfwJoystickIsGamepad(id) || !glfwGetGamepadState(id, &pad))
            continue;
        state.connected = true;
        for (int i = 0; i < GamepadState::kButtons; ++i)
            state.buttons[static_cast<size_t>(i)] = pad.buttons[i] == GLFW_PRESS;
        for (int i = 0; i < GamepadState::kAxes; ++i)
            state.axes[static_cast<size_t>(i)] = pad.axes[i];
        const char* name = glfwGetGamepadName(id);
        ReportChange(name && *name ? name : "unnamed pad");
        return state;
    }
    ReportChange(nullptr);
    return state;
}

}  // namespace

GamepadState Read()
{
    if (const Source& source = CurrentSource())
        return source();
    return ReadWindowLibrary();
}

void SetSource(Source source)
{
    CurrentSource() = std::move(source);
}

}  // namespace Gamepad
