// The part of the game that runs without a window: the camera and the world
// with its level, the run that is at stake in it, and the updates of one
// step in their fixed order. The game draws between frames; vantrel-check,
// the tests and the benchmarks only step. Owns the camera, the world and the
// run; the scripts live in the ScriptManager.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/RunState.h"

class PlayerCamera;
class World;

class Simulation {
public:
    static constexpr const char* kLevelPath = "data/levels/Level1.txt";

    Simulation();
    virtual ~Simulation();

    // Starts a new run and registers it in GlobalInfo, creates the camera,
    // then the world (which fills GlobalInfo and starts the scripts), loads
    // the level and puts the camera over the player, with the loaders'
    // console lines. False when the level did not load fully; the world then
    // holds what loaded before the failure. An empty path builds the world
    // without a level, for tests and benchmarks to fill.
    bool Build(const std::string& levelPath = kLevelPath);
    // Deletes the world, then the camera, and takes the run out of
    // GlobalInfo. Nothing is left pointing at them.
    void TearDown();

    // One step's updates, dt in milliseconds: the scripts' tick with the
    // player's position, the scene tree from the world down, the camera,
    // the GUI's update when one is set, then the run's ending clock. Needs
    // no GL context. Runs whatever the run's state; Frame decides.
    void Step(float dt);
    // One frame of `frameTime` milliseconds: no step while the run is paused
    // or has ended, else one step (four with `fastForward`) of the frame's
    // time capped at RunState::kMaxStep. Returns the steps run.
    int Frame(float frameTime, bool fastForward = false);

    // Runs in each step after the camera (the HUD's update); empty for none.
    void SetGuiUpdate(std::function<void(float dt)> update) { guiUpdate = std::move(update); }

    PlayerCamera* GetCamera() const { return camera.get(); }
    World* GetWorld() const { return world.get(); }
    RunState& GetRun() { return run; }
    const RunState& GetRun() const { return run; }

private:
    RunState run;
    // Declared before the world so that, without TearDown, the world still
    // goes first.
    std::unique_ptr<PlayerCamera> camera;
    std::unique_ptr<World> world;
    std::function<void(float dt)> guiUpdate;
};
