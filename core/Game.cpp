#include "core/Game.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/System.h"
#include "render/GL.h"
#include <GLFW/glfw3.h>
#include "render/ShaderManager.h"
#include "render/TextureManager.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "script/ScriptManager.h"

namespace {

const char* const kTitle = "Vantrel 0.2";
const int kWidth = 640;
const int kHeight = 480;

}  // namespace

Game::Game() = default;
Game::~Game() = default;

bool Game::Startup()
{
    srand(static_cast<unsigned>(time(nullptr)));
    printf("%s\n", kTitle);

    System& system = System::Instance();
    if (!system.OpenWindow(kTitle, kWidth, kHeight, 4, true))
        return false;
    const bool graphics = system.InitGraphics();
    // Without a current GL context that has shader objects nothing later can
    // work; only missing framebuffer objects are something the game adapts to.
    if (!graphics && !(GLEW_ARB_fragment_shader && GLEW_ARB_vertex_shader))
        return false;

    framebufferObjects = GLEW_EXT_framebuffer_object;
    if (framebufferObjects) {
        system.GetTextureManager()->CreateRenderTarget(0, 4, kWidth, kHeight);
        system.GetTextureManager()->CreateRenderTarget(1, 2, kWidth, kHeight);
    }
    printf("\n");
    system.GetShaderManager()->LoadDirectory("data/shaders/");
    printf("\n");
    system.GetTextureManager()->LoadDirectory("data/textures/");
    printf("\n");

    BuildWorld();
    if (!framebufferObjects)
        printf("No FBO support means no bloom or cool shockwave effect :(\n");
    fflush(stdout);
    return true;
}

void Game::BuildWorld()
{
    run.Start();
    GlobalInfo::Instance().SetRun(&run);
    camera = std::make_unique<PlayerCamera>(1000.0f);
    world = std::make_unique<World>();
    world->LoadLevel("data/levels/Level1.txt");
    // Reads the player through GlobalInfo, so only after the world exists.
    camera->StartAtPlayer();
    printf("\n");
}

void Game::DestroyWorld()
{
    world.reset();
    camera.reset();
    // Nothing may point into the old world, and the new one starts from an
    // empty blackboard as the first did.
    GlobalInfo::Instance().Reset();
}

void Game::Restart(bool reload)
{
    DestroyWorld();
    if (reload) {
        // Nothing that pointed at the old shaders and textures is left.
        System& system = System::Instance();
        system.GetShaderManager()->Clear();
        system.GetTextureManager()->Clear();
        system.GetShaderManager()->LoadDirectory("data/shaders/");
        printf("\n");
        system.GetTextureManager()->LoadDirectory("data/textures/");
        printf("\n");
    }
    ScriptManager::Instance().Reopen();
    BuildWorld();
    fflush(stdout);
}

void Game::HandleRunInput()
{
    for (bool focused : Keyboard::TakeFocusChanges())
        run.OnFocus(focused);
    for (int key : Keyboard::TakePresses())
        run.OnKey(key);
    switch (run.TakeRestart()) {
    case RunState::Restart::NewRun:
        Restart(false);
        break;
    case RunState::Restart::Reload:
        Restart(true);
        break;
    case RunState::Restart::None:
        break;
    }
}

void Game::Step(float dt)
{
    // After drawing, before the scene update: the scripts' per-frame tick.
    ScriptManager::Instance().Update(dt);
    if (world)
        world->UpdateTree(dt);
    if (camera)
        camera->Update(dt);
    run.AfterStep(dt);
}

float Game::RunFrame()
{
    System& system = System::Instance();
    // Measured every frame, paused or not, so the first step after a pause
    // covers one frame and not the time spent paused.
    const float frameTime = system.FrameTime();
    HandleRunInput();
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (camera && world)
        camera->RenderFrame(world.get(), nullptr);
    // Drawing first, then updates: a frame shows the previous frame's state.
    const float dt = RunState::StepTime(frameTime);
    const int steps = run.StepCount(Keyboard::IsHeld(GLFW_KEY_TAB));
    for (int i = 0; i < steps; ++i)
        Step(dt);
    system.SwapBuffers();
    return steps > 0 ? dt : 0.0f;
}

void Game::Loop()
{
    while (System::Instance().IsRunning())
        RunFrame();
}

void Game::Teardown()
{
    DestroyWorld();
}

int Game::Run()
{
    if (!Startup())
        return 1;
    Loop();
    Teardown();
    return 0;
}
