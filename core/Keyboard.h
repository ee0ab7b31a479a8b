// The one seam through which game code reads the keyboard. By default it asks
// the window library about the System's window; tests install their own source.
// Key codes are the window library's: arrows by constant, printable keys by
// their upper-case character code ('W', '1').
#pragma once

#include <functional>

namespace Keyboard {

using Source = std::function<bool(int key)>;

// True while the key is held.
bool IsHeld(int key);
// Replaces the source; an empty function restores the window library.
void SetSource(Source source);

}  // namespace Keyboard
