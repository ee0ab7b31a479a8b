// Placeholder child of the world where pick-ups will live; draws and updates
// nothing yet.
#pragma once

#include "scene/SceneNode.h"

class Bonuses : public SceneNode {
public:
    Bonuses() = default;
    ~Bonuses() override;
};
