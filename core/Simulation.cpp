#include "core/Simulation.h"

#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "script/ScriptManager.h"

Simulation::Simulation() = default;

Simulation::~Simulation()
{
    TearDown();
}

bool Simulation::Build(const std::string& levelPath)
{
    TearDown();
    camera = std::make_unique<PlayerCamera>(1000.0f);
    world = std::make_unique<World>();
    const bool loaded = levelPath.empty() || world->LoadLevel(levelPath);
    // Reads the player through GlobalInfo, so only after the world exists.
    camera->StartAtPlayer();
    return loaded;
}

void Simulation::TearDown()
{
    world.reset();
    camera.reset();
}

void Simulation::Step(float dt)
{
    ScriptManager::Instance().Update(dt);
    if (world)
        world->UpdateTree(dt);
    if (camera)
        camera->Update(dt);
    if (guiUpdate)
        guiUpdate(dt);
}
