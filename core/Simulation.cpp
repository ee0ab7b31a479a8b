#include "core/Simulation.h"

#include "core/GlobalInfo.h"
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
    run.Start();
    // Before the world: its scripts may score or end the run from their first call.
    GlobalInfo::Instance().SetRun(&run);
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
    if (GlobalInfo::Instance().GetRun() == &run)
        GlobalInfo::Instance().SetRun(nullptr);
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
    run.AfterStep(dt);
}

int Simulation::Frame(float frameTime, bool fastForward)
{
    const float dt = RunState::StepTime(frameTime);
    int steps = 0;
    // Asked again before each step: a fast-forwarded frame stops where the run ends.
    for (const int wanted = run.StepCount(fastForward); steps < wanted && run.StepCount(fastForward) > 0; ++steps)
        Step(dt);
    return steps;
}
