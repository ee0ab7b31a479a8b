// A simple pilot for headless play: flies under the lowest running enemy
// ahead so the guns (which the weapon scripts fire on their own) meet it,
// sidesteps what it would ram, and weaves when nothing is ahead. It only
// chooses keys; the player moves by the game's own rules.
#pragma once

#include <set>

#include "core/Vec2.h"

class Actors;

class Autopilot {
public:
    virtual ~Autopilot() = default;

    // The keys to hold for the next step at `time` milliseconds into the run.
    std::set<int> Keys(const Actors& actors, const Vec2& view, float time) const;
};
