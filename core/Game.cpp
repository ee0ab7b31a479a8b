#include "core/Game.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/System.h"
#include "render/GL.h"
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

    camera = std::make_unique<PlayerCamera>(1000.0f);
    world = std::make_unique<World>();
    world->LoadLevel("data/levels/Level1.txt");
    // A script stuck in a long call still lets the player close the window.
    ScriptManager::Instance().SetInterruptCheck([] { return System::Instance().PollClosing(); });
    // Reads the player through GlobalInfo, so only after the world exists.
    camera->StartAtPlayer();
    printf("\n");
    if (!framebufferObjects)
        printf("No FBO support means no bloom or cool shockwave effect :(\n");
    fflush(stdout);
    return true;
}

float Game::RunFrame()
{
    System& system = System::Instance();
    const float dt = system.FrameTime();
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (camera && world)
        camera->RenderFrame(world.get(), nullptr);
    // After drawing, before the scene update: the scripts' per-frame tick.
    ScriptManager::Instance().Update(dt);
    // Drawing first, then updates: a frame shows the previous frame's state.
    if (world)
        world->UpdateTree(dt);
    if (camera)
        camera->Update(dt);
    system.SwapBuffers();
    return dt;
}

void Game::Loop()
{
    while (System::Instance().IsRunning())
        RunFrame();
}

void Game::Teardown()
{
    world.reset();
    camera.reset();
}

int Game::Run()
{
    if (!Startup())
        return 1;
    Loop();
    Teardown();
    return 0;
}
