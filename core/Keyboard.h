// The one seam through which game code reads the keyboard and its focus. By default it asks
// the window library about the System's window; tests install their own source.
// Key codes are the window library's: arrows by constant, printable keys by
// their upper-case character code ('W', '1').
#pragma once

#include <functional>
#include <vector>

namespace Keyboard {

using Source = std::function<bool(int key)>;

// True while the key is held.
bool IsHeld(int key);
// Replaces the source; an empty function restores the window library.
void SetSource(Source source);

// Keys pressed since the last call, in order: presses are events, so a tap
// that starts and ends within one frame is not lost. The window library's
// key callback reports them through Press, and so may tests.
std::vector<int> TakePresses();
void Press(int key);

// Whether the window gained (true) or lost the input focus, in order since
// the last call; reported by the window library's focus callback.
std::vector<bool> TakeFocusChanges();
void FocusChanged(bool focused);

}  // namespace Keyboard
