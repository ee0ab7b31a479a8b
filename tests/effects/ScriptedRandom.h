// Test helper: replaces the effects' random source with a fixed sequence for
// the lifetime of the object and counts the draws taken. Running past the end
// of the sequence fails the test.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "effects/EffectRandom.h"

class ScriptedRandom {
public:
    explicit ScriptedRandom(std::vector<int> values_) : values(std::move(values_))
    {
        GFX::SetRandomSource([this] {
            if (next >= values.size()) {
                ADD_FAILURE() << "more random draws than scripted (" << values.size() << ")";
                return 0;
            }
            return values[next++];
        });
    }
    ~ScriptedRandom() { GFX::SetRandomSource({}); }
    ScriptedRandom(const ScriptedRandom&) = delete;
    ScriptedRandom& operator=(const ScriptedRandom&) = delete;

    size_t Taken() const { return next; }

private:
    std::vector<int> values;
    size_t next = 0;
};
