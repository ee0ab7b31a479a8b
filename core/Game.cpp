#include "core/Game.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/Debug.h"
#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/Loading.h"
#include "core/Problems.h"
#include "core/System.h"
#include "effects/BloomEffect.h"
#include "effects/DistortEffect.h"
#include "render/GL.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "script/ScriptManager.h"
#include "ui/HUD.h"
#include "ui/RunScreen.h"
#include "ui/TextRenderer.h"
#include <GLFW/glfw3.h>
#include "ui/ProblemNotice.h"

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
    // One window per process: a game started where one is open (the GL
    // tests) draws into it. A single-sample window: the scene is drawn into
    // single-sample render targets, so the window receives only the finished
    // picture and the HUD, both made of whole pixels. Multisampling it bought
    // nothing visible and cost a software renderer four samples for every
    // pixel written.
    if (!system.GetWindow() && !system.OpenWindow(kTitle, kWidth, kHeight, 0, true))
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
    Loading::LoadSounds(*sounds);
    // The sound follows the run: a pause holds music and effects where they
    // are, a new run silences what the old one left playing.
    simulation.GetRun().SetListener([this](RunState::Event event) {
        switch (event) {
        case RunState::Event::Paused:
            sounds->Pause();
            break;
        case RunState::Event::Resumed:
            sounds->Resume();
            break;
        case RunState::Event::Started:
            sounds->StopAll();
            sounds->Resume();  // a restart from the pause screen is not paused
            break;
        default:
            break;
        }
    });
    simulation.Build();
    printf("\n");

    // A script stuck in a long call still lets the player close the window.
    ScriptManager::Instance().SetInterruptCheck([] { return System::Instance().PollClosing(); });
    MakeScreens();
    // The GUI updates after the camera, inside the one step.
    simulation.SetGuiUpdate([this](float dt) {
        if (hud)
            hud->Update(dt);
        if (notice)
            notice->Update(dt);
    });
    if (!framebufferObjects)
        printf("No FBO support means no bloom or cool shockwave effect :(\n");
    fflush(stdout);
    return true;
}

void Game::MakeScreens()
{
    hud = std::make_unique<HUD>();
    runScreen = std::make_unique<RunScreen>();
    bloom = std::make_unique<BloomEffect>(1, 0);
    if (framebufferObjects)
        distort = std::make_unique<DistortEffect>(bloom.get());
}

void Game::Restart(bool reload)
{
    // Everything that holds a shader, a texture or a pointer into the world
    // goes before them; the distort effect uses the bloom effect.
    distort.reset();
    bloom.reset();
    runScreen.reset();
    hud.reset();
    simulation.TearDown();
    // The new run starts from an empty blackboard, as the first did; the
    // sound outlives worlds and is registered again at once.
    GlobalInfo::Instance().Reset();
    GlobalInfo::Instance().SetSounds(sounds.get());
    if (reload) {
        // A modder presses F5 to see what the edited files do: problems they
        // still have are reported again, on the console and on screen, as new.
        Problems::Reset();
        System& system = System::Instance();
        system.GetShaderManager()->Clear();
        system.GetTextureManager()->Clear();
        Loading::LoadResources(true);
        TextRenderer::Instance().FindFont();
    }
    ScriptManager::Instance().Reopen();
    simulation.Build();
    printf("\n");
    MakeScreens();
    fflush(stdout);
}

void Game::HandleRunInput()
{
    RunState& run = simulation.GetRun();
    // Only where the focus ends up counts: a window being mapped loses and
    // regains it at once (seen under a bare X server), which is no reason to pause.
    const std::vector<bool> focus = Keyboard::TakeFocusChanges();
    for (bool focused : focus)
        if (focused)
            run.OnFocus(true);
    if (!focus.empty() && !focus.back())
        run.OnFocus(false);
    for (const Keyboard::KeyPress& press : Keyboard::TakePresses())
        run.OnKey(press.key, press.mods);
    if (controls.Read().start)
        run.OnStartButton();
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

float Game::RunFrame()
{
    // Measured every frame, paused or not, so the first step after a pause
    // covers one frame and not the time spent paused.
    return RunFrame(System::Instance().FrameTime());
}

float Game::RunFrame(float frameTime)
{
    System& system = System::Instance();
    HandleRunInput();
    glLoadIdentity();
    PlayerCamera* camera = simulation.GetCamera();
    // The distortion effect clears the picture itself before its last pass
    // fills it; clearing it here as well cost the renderer a full write of
    // colour and depth. The bars of a letterboxed picture still need it.
    const bool effectClearsPicture = distort && camera && simulation.GetWorld() &&
                                     system.GetPicture().Covers(system.GetFramebufferWidth(),
                                                                system.GetFramebufferHeight());
    if (!effectClearsPicture)
        system.ClearWindow();
    if (camera && simulation.GetWorld())
        camera->RenderFrame(simulation.GetWorld(), distort.get());
    if (hud)
        hud->Render();
    if (runScreen)
        runScreen->Render();
    if (notice)
        notice->Render();
    Debug::EndOfPass("hud");
    // Drawing first, then updates: a frame shows the previous frame's state.
    const int steps = simulation.Frame(frameTime, Keyboard::IsHeld(GLFW_KEY_TAB));
    if (sounds) {
        // M toggles on the press, not while held.
        const bool muteKey = Keyboard::IsHeld('M');
        if (muteKey && !muteKeyHeld)
            sounds->SetMuted(!sounds->IsMuted());
        muteKeyHeld = muteKey;
        sounds->Update();
    }
    system.SwapBuffers();
    return steps > 0 ? RunState::StepTime(frameTime) : 0.0f;
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
