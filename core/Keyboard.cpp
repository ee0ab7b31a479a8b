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

}  // namespace Keyboard
