// Holds the player and all enemies. Minimal for now: the level loader's entry
// points exist so the world can be built and its level read.
#pragma once

#include <string>

#include "scene/SceneNode.h"

class Actors : public SceneNode {
public:
    Actors() = default;
    ~Actors() override = default;

    bool LoadEnemyTypes(const std::string& path);
    bool LoadEnemies(const std::string& path);
};
