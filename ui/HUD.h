// The screen shown during play: the title at the top left, the run's score
// at the top right and, at the bottom right, a panel with the shield meter
// over the hit-point meter and the weapon level beside it, read from the
// player and the run (through GlobalInfo) on every draw. Keeps no state.
#pragma once

#include <string>

#include "ui/GUI.h"

class HUD : public GUI {
public:
    // Full-scale meter length in pixels and where the meters start.
    static constexpr int kMeterLength = 161;
    static constexpr int kMeterLeft = 459;

    HUD();

    void Draw() override;
    void Update(float dt) override;

    // A meter's length in pixels for value / maximum: truncated toward zero,
    // unclamped within a sane range (overfull meters overshoot, negative ones
    // come out empty). A ratio that is NaN gives 0; an infinite or huge one
    // is held to +-kMaxMeterLength so it never overflows the integer maths.
    static constexpr int kMaxMeterLength = 1 << 20;
    static int MeterLength(float value, float maximum);

    // A score as the screens show it: rounded to a whole number.
    static std::string ScoreText(double score);

private:
    Texture* metersTexture = nullptr;
};
