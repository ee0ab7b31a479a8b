// Cost of 500 live explosions per frame: updating them, drawing their sprites
// into the window, and adding their shockwaves to a distortion map the way
// the distortion pass does. Runs in a real window (under xvfb-run with
// LIBGL_ALWAYS_SOFTWARE=1 for Mesa's software renderer); every frame ends
// with glFinish so the renderer's work is inside the measurement.
// The renderer works on its own threads, so times are wall-clock. Baseline:
// the same frame with no explosions (clear and finish only).
#include <memory>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/GlobalInfo.h"
#include "core/System.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/Texture.h"
#include "render/TextureManager.h"

namespace {

constexpr int kLive = 500;
constexpr float kFrame = 16.0f;  // ms, a 60 Hz frame

std::unique_ptr<TextureManager> g_textures;

// A soft round sprite, like the game's: bright centre fading to clear edges.
std::unique_ptr<Texture> RoundSprite()
{
    const int n = 64;
    std::vector<unsigned char> pixels(n * n * 4);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            float dx = (x + 0.5f) / n * 2 - 1, dy = (y + 0.5f) / n * 2 - 1;
            float a = 1.0f - (dx * dx + dy * dy);
            unsigned char* p = &pixels[(y * n + x) * 4];
            p[0] = 255;
            p[1] = 200;
            p[2] = 120;
            p[3] = static_cast<unsigned char>(a > 0 ? a * 255 : 0);
        }
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, n, n, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return std::make_unique<Texture>(id, n, n);
}

// 500 explosions of sizes 20 to 80 spread over the view at staggered ages;
// every finished one is replaced at once, as a busy level would.
class Field {
public:
    Field()
    {
        // No world in GlobalInfo: no chains, so the count stays at kLive.
        GlobalInfo::Instance().Reset();
        while (effects.GetEffectCount() < kLive)
            Spawn(-static_cast<float>(ageDist(rng)));
    }

    void UpdateAndRefill()
    {
        effects.Update(kFrame);
        while (effects.GetEffectCount() < kLive)
            Spawn(0.0f);
    }

    GraphicalEffects effects;

private:
    void Spawn(float delay)
    {
        effects.AddExplosion(static_cast<float>(sizeDist(rng)), Vec2(xDist(rng), zDist(rng)), delay);
    }

    std::mt19937 rng{12345};
    std::uniform_int_distribution<int> sizeDist{20, 80};
    std::uniform_int_distribution<int> ageDist{0, 190};  // under the shortest life
    std::uniform_real_distribution<float> xDist{-500.0f, 500.0f};
    std::uniform_real_distribution<float> zDist{-350.0f, 350.0f};
};

void LookDown()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
}

void BM_EmptyFrame(benchmark::State& state)
{
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        LookDown();
        glFinish();
    }
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Update500(benchmark::State& state)
{
    Field field;
    for (auto _ : state) {
        field.UpdateAndRefill();
        benchmark::DoNotOptimize(field.effects.GetEffectCount());
    }
}
BENCHMARK(BM_Update500)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_UpdateDraw500(benchmark::State& state)
{
    Field field;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        LookDown();
        field.effects.Draw();
        field.UpdateAndRefill();
        glFinish();
    }
}
BENCHMARK(BM_UpdateDraw500)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_UpdateDrawDistort500(benchmark::State& state)
{
    FramebufferObject* target = g_textures->GetRenderTarget(1);
    Field field;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        LookDown();
        field.effects.Draw();
        // The distortion map, as the distortion pass draws it.
        target->Bind(1);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        LookDown();
        field.effects.DrawDistortion();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        FramebufferObject::Unbind();
        field.UpdateAndRefill();
        glFinish();
    }
}
BENCHMARK(BM_UpdateDrawDistort500)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    System& system = System::Instance();
    if (!system.OpenWindow("Vantrel 0.2", 640, 480, 0, false) || !system.InitGraphics())
        return 1;
    g_textures = std::make_unique<TextureManager>();
    g_textures->Add("explosion.png", RoundSprite());
    g_textures->Add("shockwave.png", RoundSprite());
    g_textures->CreateRenderTarget(1, 2, 640, 480);
    GFX::Explosion::SetTextureSource(g_textures.get());

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    GFX::Explosion::SetTextureSource(nullptr);
    g_textures.reset();  // while the context lives
    return 0;
}
