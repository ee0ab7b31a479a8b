// The weapon shop's layout: a tall frame of highlighted rows on the right
// headed "Primary weapon" and "Secondary weapon", a "Play!" row, and a panel
// on the left with a strip of ten identical meter cells. Drawing only;
// nothing in the game shows it or routes input to it.
#pragma once

#include <string>

#include "ui/GUI.h"

class Shop : public GUI {
public:
    // The texture of the meter strip, by file name ("gui-bars.png").
    explicit Shop(const std::string& stripTextureName);

    void Draw() override;
    void Update(float dt) override;

private:
    Texture* stripTexture = nullptr;
};
