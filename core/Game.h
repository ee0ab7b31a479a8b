// The spine of the program: start-up in a fixed order, one frame after another
// until the window is closed, then teardown. core/Main.cpp only runs it; tests
// drive its steps one by one.
//
// Around the simulation's frame it keeps the run going: the keys that pause,
// restart and reload, fast forward, and the teardown and rebuilding of the
// world, the script state and what draws them for a new run.
#pragma once

#include <memory>

#include "core/Controls.h"
#include "core/Simulation.h"

class BloomEffect;
class DistortEffect;
class HUD;
class RunScreen;
class PlayerCamera;
class ProblemNotice;
class SoundManager;
class World;

class Game {
public:
    Game();
    virtual ~Game();

    // Seeds the random generator, prints the banner, opens the window and
    // loads every resource and the level. Returns false when there is no
    // window, no GL extension loader or no shader support: nothing can run then.
    bool Startup();
    // One frame: frame time, run keys (and a restart they ask for), draw,
    // the simulation's frame, swap. Returns the time one step covered (0 when
    // no step ran).
    float RunFrame();
    // A new run: the world, the camera, the script state (a fresh Lua state)
    // and GlobalInfo are emptied and built again as start-up builds them, with
    // the same console lines; the HUD and the effects are made again. With
    // `reload`, every shader and texture is loaded again first.
    void Restart(bool reload);
    // The same frame with a given frame time (the frame-time harness's fixed
    // step); the frame clock is not read.
    float RunFrame(float frameTime);
    // Frames until the window is closed.
    void Loop();
    // Deletes what Startup created, in its fixed order.
    void Teardown();

    // Start-up, the loop and teardown. Returns the process exit status.
    int Run();

    bool HasFramebufferObjects() const { return framebufferObjects; }

    PlayerCamera* GetCamera() const { return simulation.GetCamera(); }
    World* GetWorld() const { return simulation.GetWorld(); }
    Simulation& GetSimulation() { return simulation; }
    RunState& GetRun() { return simulation.GetRun(); }
    HUD* GetHUD() const { return hud.get(); }
    ProblemNotice* GetProblemNotice() const { return notice.get(); }
    DistortEffect* GetDistortEffect() const { return distort.get(); }
    SoundManager* GetSounds() const { return sounds.get(); }

private:
    // The HUD, the pause and end screen and the full-screen effects, which
    // look their shaders and textures up by name when made.
    void MakeScreens();
    // Run keys, the gamepad's Start and focus changes since the last frame;
    // a restart asked for.
    void HandleRunInput();

    bool framebufferObjects = false;
    bool muteKeyHeld = false;
    // The game's own reader, for the gamepad's Start button (the ship keeps another).
    Controls controls;
    // Outlives the world: scripts may play sounds until the world is gone.
    std::unique_ptr<SoundManager> sounds;
    Simulation simulation;
    // The frame's screen and full-screen effects; declared after the
    // simulation so that, without Teardown, they go before the world. The
    // distort effect uses the bloom effect, so it is declared after it and
    // goes first.
    std::unique_ptr<HUD> hud;
    std::unique_ptr<RunScreen> runScreen;
    std::unique_ptr<ProblemNotice> notice;
    std::unique_ptr<BloomEffect> bloom;
    std::unique_ptr<DistortEffect> distort;
};
