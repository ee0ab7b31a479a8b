#include "core/Game.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/Debug.h"
#include "core/Loading.h"
#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/System.h"
#include "effects/BloomEffect.h"
#include "effects/DistortEffect.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "ui/HUD.h"

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
    // A single-sample window: the scene is drawn into single-sample render
    // targets, so the window receives only the finished picture and the HUD,
    // both made of whole pixels. Multisampling it bought nothing visible and
    // cost a software renderer four samples for every pixel written.
    if (!system.OpenWindow(kTitle, kWidth, kHeight, 0, true))
        return false;
    const bool graphics = system.InitGraphics();
    // Without a current GL context that has shader objects nothing later can
    // work; only missing framebuffer objects are something the game adapts to.
    if (!graphics && !System::ShadersSupported())
        return false;

    framebufferObjects = System::FramebuffersSupported();
    if (framebufferObjects) {
        system.GetTextureManager()->CreateRenderTarget(0, 4, kWidth, kHeight);
        system.GetTextureManager()->CreateRenderTarget(1, 2, kWidth, kHeight);
    }
    Loading::LoadResources(true);
    // Before the world: its scripts may play sounds from their first line.
    sounds = std::make_unique<SoundManager>();
    sounds->LoadDirectory("data/sounds/");
    GlobalInfo::Instance().SetSounds(sounds.get());
    printf("\n");
    simulation.Build();
    printf("\n");

    hud = std::make_unique<HUD>();
    bloom = std::make_unique<BloomEffect>(1, 0);
    if (framebufferObjects)
        distort = std::make_unique<DistortEffect>(bloom.get());
    // The GUI updates after the camera, inside the one step.
    simulation.SetGuiUpdate([this](float dt) { if (hud) hud->Update(dt); });
    if (!framebufferObjects)
        printf("No FBO support means no bloom or cool shockwave effect :(\n");
    fflush(stdout);
    return true;
}

float Game::RunFrame()
{
    return RunFrame(System::Instance().FrameTime());
}

float Game::RunFrame(float dt)
{
    System& system = System::Instance();
    glLoadIdentity();
    system.ClearWindow();
    if (PlayerCamera* camera = simulation.GetCamera(); camera && simulation.GetWorld())
        camera->RenderFrame(simulation.GetWorld(), distort.get());
    if (hud)
        hud->Render();
    Debug::EndOfPass("hud");
    // Drawing first, then updates: a frame shows the previous frame's state.
    simulation.Step(dt);
    if (sounds) {
        // M toggles on the press, not while held.
        const bool muteKey = Keyboard::IsHeld('M');
        if (muteKey && !muteKeyHeld)
            sounds->SetMuted(!sounds->IsMuted());
        muteKeyHeld = muteKey;
        sounds->Update();
    }
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
    bloom.reset();
    distort.reset();
    simulation.TearDown();
    GlobalInfo::Instance().SetSounds(nullptr);
    sounds.reset();
}

int Game::Run()
{
    if (!Startup())
        return 1;
    Loop();
    Teardown();
    return 0;
}
