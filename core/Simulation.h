// The part of the game that runs without a window: the camera and the world
// with its level, and the updates of one frame in their fixed order. The
// game draws between steps; vantrel-check, the tests and the benchmarks only
// step. Owns the camera and the world; the scripts live in the ScriptManager.
#pragma once

#include <functional>
#include <memory>
#include <string>

class PlayerCamera;
class World;

class Simulation {
public:
    static constexpr const char* kLevelPath = "data/levels/Level1.txt";

    Simulation();
    virtual ~Simulation();

    // Creates the camera, then the world (which fills GlobalInfo and starts
    // the scripts), loads the level and puts the camera over the player, with
    // the loaders' console lines. False when the level did not load fully;
    // the world then holds what loaded before the failure. An empty path
    // builds the world without a level, for tests and benchmarks to fill.
    bool Build(const std::string& levelPath = kLevelPath);
    // Deletes the world, then the camera. Nothing is left pointing at them.
    void TearDown();

    // One frame's updates, dt in milliseconds: the scripts' tick with the
    // player's position, the scene tree from the world down, the camera,
    // then the GUI's update when one is set. Needs no GL context.
    void Step(float dt);

    // Runs last in each step (the HUD's update); an empty function for none.
    void SetGuiUpdate(std::function<void(float dt)> update) { guiUpdate = std::move(update); }

    PlayerCamera* GetCamera() const { return camera.get(); }
    World* GetWorld() const { return world.get(); }

private:
    // Declared before the world so that, without TearDown, the world still
    // goes first.
    std::unique_ptr<PlayerCamera> camera;
    std::unique_ptr<World> world;
    std::function<void(float dt)> guiUpdate;
};
