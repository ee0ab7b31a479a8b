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

std::vector<int>& Presses()
{
    static std::vector<int> presses;
    return presses;
}

std::vector<bool>& FocusChanges()
{
    static std::vector<bool> changes;
    return changes;
}

// A frame that never takes its events does not grow them without end.
const size_t kMaxQueued = 64;
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

std::vector<int> TakePresses()
{
    std::vector<int> taken;
    taken.swap(Presses());
    return taken;
}

void Press(int key)
{
    if (Presses().size() < kMaxQueued)
        Presses().push_back(key);
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

}  // namespace Keyboard
