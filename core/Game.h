// The spine of the program: start-up in a fixed order, one frame after another
// until the window is closed, then teardown. core/Main.cpp only runs it; tests
// drive its steps one by one.
//
// Around the frame it keeps the run (RunState): the keys that pause, restart
// and reload, the bounded step time, fast forward, and the teardown and
// rebuilding of the world and the script state for a new run.
#pragma once

#include <memory>

#include "core/RunState.h"

class PlayerCamera;
class World;

class Game {
public:
    Game();
    virtual ~Game();

    // Seeds the random generator, prints the banner, opens the window and
    // loads every resource and the level. Returns false when there is no
    // window, no GL extension loader or no shader support: nothing can run then.
    bool Startup();
    // One frame: frame time, run keys, draw, the run's steps, swap. Returns
    // the time one step covered (0 when no step ran).
    float RunFrame();
    // The updates of one step of dt milliseconds: scripts, world, camera.
    void Step(float dt);
    // A new run: the world, the camera and the script state are torn down
    // and built again as start-up builds them, with the same console lines.
    // With `reload`, every shader and texture is loaded again first.
    void Restart(bool reload);
    // Frames until the window is closed.
    void Loop();
    // Deletes what Startup created, in its fixed order.
    void Teardown();

    // Start-up, the loop and teardown. Returns the process exit status.
    int Run();

    bool HasFramebufferObjects() const { return framebufferObjects; }

    PlayerCamera* GetCamera() const { return camera.get(); }
    World* GetWorld() const { return world.get(); }
    RunState& GetRun() { return run; }

private:
    // Camera, world, level, the camera over the player; registers the run.
    void BuildWorld();
    void DestroyWorld();
    // Run keys and focus changes since the last frame; a restart asked for.
    void HandleRunInput();

    RunState run;
    bool framebufferObjects = false;
    // Declared before the world so that, without Teardown, the world still
    // goes first.
    std::unique_ptr<PlayerCamera> camera;
    std::unique_ptr<World> world;
};
