// The spine of the program: start-up in a fixed order, one frame after another
// until the window is closed, then teardown. core/Main.cpp only runs it; tests
// drive its steps one by one.
#pragma once

#include <memory>

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
    // One frame: time step, draw, updates, swap. Returns the time step used.
    float RunFrame();
    // Frames until the window is closed.
    void Loop();
    // Deletes what Startup created, in its fixed order.
    void Teardown();

    // Start-up, the loop and teardown. Returns the process exit status.
    int Run();

    bool HasFramebufferObjects() const { return framebufferObjects; }

    PlayerCamera* GetCamera() const { return camera.get(); }
    World* GetWorld() const { return world.get(); }
    SoundManager* GetSounds() const { return sounds.get(); }

private:
    bool framebufferObjects = false;
    bool muteKeyHeld = false;
    // Outlives the world: scripts may play sounds until the world is gone.
    std::unique_ptr<SoundManager> sounds;
    // Declared before the world so that, without Teardown, the world still
    // goes first.
    std::unique_ptr<PlayerCamera> camera;
    std::unique_ptr<World> world;
};
