// The uniform random source of the short-lived effects: explosion chains draw
// their offsets from it, enemy wrecks their drift. By default it is the
// standard generator, which the entry point seeds from the clock at start-up.
// Tests replace it with a scripted sequence to check the order of the draws.
#pragma once

#include <functional>

namespace GFX {

constexpr int kRandomMax = 32767;

// A uniform integer in 0..kRandomMax.
int RandomDraw();
// Replaces the source; an empty function brings back the standard generator.
// Values a replacement returns outside 0..kRandomMax are clamped into it.
void SetRandomSource(std::function<int()> source);

}  // namespace GFX
