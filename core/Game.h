// The spine of the program: start-up in a fixed order, one frame after another
// until the window is closed, then teardown. core/Main.cpp only runs it; tests
// drive its steps one by one.
#pragma once

#include <memory>

#include "core/Simulation.h"

class BloomEffect;
class DistortEffect;
class HUD;
class PlayerCamera;
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
    // One frame: time step, draw, the simulation's step, swap. Returns the
    // time step used.
    float RunFrame();
    // The same frame with a given time step (the frame-time harness's fixed
    // step); the frame clock is not read.
    float RunFrame(float dt);
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
    HUD* GetHUD() const { return hud.get(); }
    DistortEffect* GetDistortEffect() const { return distort.get(); }
    SoundManager* GetSounds() const { return sounds.get(); }

private:
    bool framebufferObjects = false;
    bool muteKeyHeld = false;
    // Outlives the world: scripts may play sounds until the world is gone.
    std::unique_ptr<SoundManager> sounds;
    Simulation simulation;
    // The frame's screen and full-screen effects; declared after the
    // simulation so that, without Teardown, they go before the world. The
    // distort effect uses the bloom effect, so it is declared after it and
    // goes first.
    std::unique_ptr<HUD> hud;
    std::unique_ptr<BloomEffect> bloom;
    std::unique_ptr<DistortEffect> distort;
};
