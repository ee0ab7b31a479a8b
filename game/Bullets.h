// Holds the bullet types and every shot in flight. Minimal for now: the level
// loader's entry point exists so the world can be built and its level read.
#pragma once

#include <string>

#include "scene/SceneNode.h"

class Bullets : public SceneNode {
public:
    Bullets() = default;
    ~Bullets() override = default;

    bool LoadBulletTypes(const std::string& path);
};
