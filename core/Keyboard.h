// The one seam through which game code reads the keyboard and the window's
// focus. By default it asks the window library about the System's window;
// tests install their own source and report presses and focus changes
// themselves. Key codes are the window library's: arrows by constant,
// printable keys by their upper-case character code ('W', '1').
#pragma once

#include <functional>
#include <vector>

struct GLFWwindow;

namespace Keyboard {

using Source = std::function<bool(int key)>;

// True while the key is held.
bool IsHeld(int key);
// Replaces the source; an empty function restores the window library.
void SetSource(Source source);

struct KeyPress {
    int key = 0;
    int mods = 0;  // the window library's modifier bits (GLFW_MOD_ALT...)
};

// Keys pressed since the last call, in order: presses are events, so a tap
// that starts and ends within one frame is not lost.
std::vector<KeyPress> TakePresses();
void Press(int key, int mods = 0);

// Whether the window gained (true) or lost the input focus, in order since
// the last call.
std::vector<bool> TakeFocusChanges();
void FocusChanged(bool focused);

// Feeds both queues from the window's key and focus callbacks, seeded with
// the focus the window has now. The callbacks installed before stay in the
// chain: each event reaches them first.
void Attach(GLFWwindow* window);

}  // namespace Keyboard
