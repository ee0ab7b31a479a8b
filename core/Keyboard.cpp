#include "core/Keyboard.h"

#include <GLFW/glfw3.h>

#include "core/System.h"

namespace Keyboard {

namespace {
Source& CurrentSource()
{
    static Source source;
    return source;
}

std::vector<KeyPress>& Presses()
{
    static std::vector<KeyPress> presses;
    return presses;
}

std::vector<bool>& FocusChanges()
{
    static std::vector<bool> changes;
    return changes;
}

// A frame that never takes its events does not grow them without end.
const size_t kMaxQueued = 64;

// The window library has one slot per callback; these pass events on.
GLFWkeyfun previousKeyCallback = nullptr;
GLFWwindowfocusfun previousFocusCallback = nullptr;

void KeyCallback(GLFWwindow* window, int key, int scancode, int action, int mods)
{
    if (previousKeyCallback)
        previousKeyCallback(window, key, scancode, action, mods);
    if (action == GLFW_PRESS)
        Press(key, mods);
}

void FocusCallback(GLFWwindow* window, int focused)
{
    if (previousFocusCallback)
        previousFocusCallback(window, focused);
    FocusChanged(focused == GLFW_TRUE);
}
}  // namespace

bool IsHeld(int key)
{
    if (const Source& source = CurrentSource())
        return source(key);
    GLFWwindow* window = System::Instance().GetWindow();
    return window && glfwGetKey(window, key) == GLFW_PRESS;
}

void SetSource(Source source)
{
    CurrentSource() = std::move(source);
}

std::vector<KeyPress> TakePresses()
{
    std::vector<KeyPress> taken;
    taken.swap(Presses());
    return taken;
}

void Press(int key, int mods)
{
    if (Presses().size() < kMaxQueued)
        Presses().push_back(KeyPress{key, mods});
}

std::vector<bool> TakeFocusChanges()
{
    std::vector<bool> taken;
    taken.swap(FocusChanges());
    return taken;
}

void FocusChanged(bool focused)
{
    if (FocusChanges().size() < kMaxQueued)
        FocusChanges().push_back(focused);
}

void Attach(GLFWwindow* window)
{
    GLFWkeyfun previousKey = glfwSetKeyCallback(window, KeyCallback);
    // Attaching twice must not make the chain call itself.
    if (previousKey != KeyCallback)
        previousKeyCallback = previousKey;
    GLFWwindowfocusfun previousFocus = glfwSetWindowFocusCallback(window, FocusCallback);
    if (previousFocus != FocusCallback)
        previousFocusCallback = previousFocus;
    if (glfwGetWindowAttrib(window, GLFW_FOCUSED))
        FocusChanged(true);
}

}  // namespace Keyboard
