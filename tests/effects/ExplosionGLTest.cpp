// Effects drawn for real: the explosion sprite lights the expected square of the
// window with the expected fading alpha, and the shockwave, drawn the way the
// distortion pass draws it, covers the larger square in a render target; a
// wreck draws its model where it is and nothing once it has sunk.
// The view is the game's: looking straight down from (0, 1000, 0) with +z up
// on the screen. The explosion sprite is solid opaque white, so a pixel's
// colour shows the alpha blend against the known clear colour; the shockwave
// is solid orange, so the map shows that its own texture was used. Both are
// PNG files loaded into a texture manager of the test's own.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/EffectRandom.h"
#include "effects/EnemyDeath.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "render/FramebufferObject.h"
#include "game/EnemyType.h"
#include "render/GL.h"
#include "render/Model.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

using GFX::Explosion;

// A solid opaque RGBA image, as a PNG file's bytes.
std::vector<uint8_t> SolidPng(uint8_t r, uint8_t g, uint8_t b)
{
    PngWriteOptions options;
    options.width = options.height = 4;
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i)
        pixels.insert(pixels.end(), {r, g, b, 255});
    return WritePng(options, pixels);
}

// The window rectangle covered by a square of half-extent h at the height of
// an explosion centred on the origin, under the current matrices.
struct ScreenRect {
    double left, right, bottom, top;
    int CentreX() const { return static_cast<int>((left + right) / 2); }
    int CentreY() const { return static_cast<int>((bottom + top) / 2); }
};

ScreenRect Project(int h, double dx = 0)
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x1, y1, z1, x2, y2, z2;
    gluProject(dx - h, 10.0, -h, model, projection, viewport, &x1, &y1, &z1);
    gluProject(dx + h, 10.0, h, model, projection, viewport, &x2, &y2, &z2);
    return {std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2)};
}

// Pixels a few pixels inside and outside each edge, and the centre.
struct Probes {
    std::vector<std::pair<int, int>> inside, outside;
};

Probes ProbesFor(const ScreenRect& r)
{
    const int margin = 3;
    const int cx = r.CentreX(), cy = r.CentreY();
    Probes p;
    p.inside = {{cx, cy},
                {static_cast<int>(std::ceil(r.left)) + margin, cy},
                {static_cast<int>(r.right) - margin, cy},
                {cx, static_cast<int>(std::ceil(r.bottom)) + margin},
                {cx, static_cast<int>(r.top) - margin}};
    p.outside = {{static_cast<int>(r.left) - margin, cy},
                 {static_cast<int>(std::ceil(r.right)) + margin, cy},
                 {cx, static_cast<int>(r.bottom) - margin},
                 {cx, static_cast<int>(std::ceil(r.top)) + margin}};
    return p;
}

uint8_t Blend(float alpha, int over, int under)
{
    return static_cast<uint8_t>(std::lround(alpha * over + (1.0f - alpha) * under));
}

class ExplosionGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGLState();
        GlobalInfo::Instance().Reset();  // no world: explosions make no chain
        // The sprites come from files, loaded and named the way the game's are.
        dir.Write("explosion.png", SolidPng(255, 255, 255));
        dir.Write("shockwave.png", SolidPng(255, 128, 0));
        CaptureStdout([&] { textures.LoadDirectory(dir.Path()); });
        ASSERT_EQ(textures.Count(), 2u);
        Explosion::SetTextureSource(&textures);
    }
    void TearDown() override
    {
        Explosion::SetTextureSource(nullptr);
        GlobalInfo::Instance().Reset();
        ResetGLState();
    }

    static void LookDown()
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    }

    // An effects container holding one explosion at (0, 10, 0) aged `time`.
    static std::unique_ptr<GraphicalEffects> AgedExplosion(float size, float time)
    {
        auto effects = std::make_unique<GraphicalEffects>();
        effects->AddExplosion(size, Vec2(0.0f, 0.0f), 0.0f);
        effects->Update(time);
        return effects;
    }

    TempDir dir;
    TextureManager textures;
};

TEST_F(ExplosionGLTest, SpriteLightsItsSquareWithTheFadingAlphaAndLeavesTheStateItFound)
{
    const float cases[][2] = {{200, 1}, {200, 1000}, {200, 1800}, {50, 480}};  // size, time
    for (auto [size, time] : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << size << " time " << time);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const Rgba background = ReadPixel(5, 5);
        LookDown();
        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        auto effects = AgedExplosion(size, time);
        ASSERT_EQ(effects->GetEffectCount(), 1u);
        effects->Draw();

        const Probes probes = ProbesFor(Project(Explosion::SpriteHalfExtent(size, time)));
        const uint8_t lit = Blend(Explosion::Alpha(size, time), 255, background[0]);
        for (auto [x, y] : probes.inside) {
            const Rgba pixel = ReadPixel(x, y);
            EXPECT_TRUE(Near(pixel, Rgba{lit, lit, lit, pixel[3]}, 3))
                << "inside at " << x << "," << y << ": " << int(pixel[0]) << " expected " << int(lit);
        }
        for (auto [x, y] : probes.outside)
            EXPECT_TRUE(Near(ReadPixel(x, y), background, 2)) << "outside at " << x << "," << y;

        effects->DrawDistortion();
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glActiveTextureARB(GL_TEXTURE0_ARB);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), (std::vector<GLfloat>{1, 1, 1, 1}));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(ExplosionGLTest, NothingIsDrawnBeforeTheStartOrForSizeZero)
{
    // Waiting for its delay; size 0 or less whose clock a negative delay has started.
    const float cases[][2] = {{100, 300}, {0, -50}, {-20, -50}};  // size, delay
    for (auto [size, delay] : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const Rgba background = ReadPixel(320, 240);
        LookDown();
        GraphicalEffects effects;
        effects.AddExplosion(size, Vec2(0.0f, 0.0f), delay);
        effects.Draw();
        EXPECT_TRUE(Near(ReadPixel(320, 240), background, 0)) << size << " " << delay;
    }
}

TEST_F(ExplosionGLTest, MissingSpritesAreReportedOnceAndTheSquareStillShows)
{
    TextureManager empty;
    Explosion::SetTextureSource(&empty);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Rgba background = ReadPixel(320, 240);
    LookDown();
    auto effects = AgedExplosion(100.0f, 500.0f);  // alpha 0.5
    const std::string output = CaptureStdout([&] {
        for (int frame = 0; frame < 3; ++frame) {
            effects->Draw();
            effects->DrawDistortion();
        }
    });
    EXPECT_EQ(output, "  Missing texture explosion.png\n  Missing texture shockwave.png\n");
    // A plain white square at half strength over the background (drawn three
    // times, plus the shockwave passes, in normal blending).
    const Rgba pixel = ReadPixel(320, 240);
    EXPECT_GT(pixel[0], background[0] + 40);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ExplosionGLTest, ShockwavesAddUpInTheDistortionMapOverTheLargerSquare)
{
    textures.CreateRenderTarget(2, 2, 640, 480);
    FramebufferObject* target = textures.GetRenderTarget(2);
    ASSERT_NE(target, nullptr);

    // Explosions of size 150 at the origin, aged these times.
    const std::vector<float> cases[] = {{300.0f}, {300.0f, 600.0f}};
    for (const std::vector<float>& times : cases) {
        SCOPED_TRACE(::testing::Message() << times.size() << " explosion(s)");
        GraphicalEffects effects;
        for (float time : times)
            effects.AddExplosion(150.0f, Vec2(0.0f, 0.0f), -time);

        // The distortion pass: a black map, additive blending, no depth test.
        target->Bind(1);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        LookDown();
        effects.DrawDistortion();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);

        glReadBuffer(GL_COLOR_ATTACHMENT1_EXT);
        // Inside the smallest shockwave every one adds its alpha; outside the
        // largest the map stays black.
        float sum = 0.0f;
        int smallest = Explosion::kMaxHalfExtent, largest = 0;
        for (float time : times) {
            sum += Explosion::Alpha(150.0f, time);
            const int h = Explosion::ShockwaveHalfExtent(150.0f, time);
            smallest = std::min(smallest, h);
            largest = std::max(largest, h);
        }
        // Orange (255, 128, 0) weighted by the alphas, added to black.
        const auto channel = [&](float value) {
            return static_cast<uint8_t>(std::lround(std::min(sum * value, 255.0f)));
        };
        const Rgba all{channel(255.0f), channel(128.0f), 0, 255};
        for (auto [x, y] : ProbesFor(Project(smallest)).inside)
            EXPECT_TRUE(Near(ReadPixel(x, y), all, 3)) << "inside at " << x << "," << y;
        for (auto [x, y] : ProbesFor(Project(largest)).outside)
            EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{0, 0, 0, 255}, 1)) << "outside at " << x << "," << y;
        // The shockwave reaches beyond the sprite: a point just outside the
        // sprite's square lies inside the map's lit area.
        const int sprite = Explosion::SpriteHalfExtent(150.0f, times[0]);
        const ScreenRect spriteRect = Project(sprite);
        const Rgba beyond = ReadPixel(static_cast<int>(spriteRect.left) - 4, spriteRect.CentreY());
        EXPECT_GT(beyond[0], 10);
        glReadBuffer(GL_BACK);
        FramebufferObject::Unbind();
    }
}

TEST_F(ExplosionGLTest, WreckDrawsItsModelWhereItFliesAndNotOnceSunk)
{
    // A flat white square of half-size 50, facing up.
    auto plate = std::make_unique<Model>();
    const std::string obj = dir.Write("plate.obj",
                                      "v -50 0 -50\nv 50 0 -50\nv 50 0 50\nv -50 0 50\nf 1 3 2\nf 1 4 3\n");
    plate->LoadObj(obj);
    ASSERT_EQ(plate->GetTriangleCount(), 2);
    EnemyType type("plate", std::move(plate), 0, 10, 1);

    // Drifts 2 in z and 0.0001 in x (the draws 32767 and 16384): it barely
    // tilts in the first frames.
    GFX::SetRandomSource([n = 0]() mutable { return n++ % 2 == 0 ? 32767 : 16384; });
    GraphicalEffects effects;
    effects.AddEnemyDeath(&type, Vec2(200.0f, 0.0f));
    GFX::SetRandomSource({});
    ASSERT_EQ(effects.GetEffectCount(), 1u);  // no world in GlobalInfo: no explosion

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Rgba background = ReadPixel(320, 240);
    LookDown();
    effects.Draw();
    // The origin projects to the window's centre; x = 200 lies 200 units to its left.
    const ScreenRect at200 = Project(0, 200.0);
    const int x = static_cast<int>(at200.left), y = at200.CentreY();
    EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{255, 255, 255, 255}, 2)) << "at " << x << "," << y;
    EXPECT_TRUE(Near(ReadPixel(320, 240), background, 0));

    // Far below the ground, though not yet removed, it is not drawn at all.
    for (int frame = 0; frame < 50; ++frame)
        effects.Update(20.0f);
    ASSERT_EQ(effects.GetEffectCount(), 1u);
    ASSERT_LT(effects.GetEffect(0)->GetHeight(), 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    effects.Draw();
    for (int py = 0; py < 480; py += 8)
        for (int px = 0; px < 640; px += 8)
            ASSERT_TRUE(Near(ReadPixel(px, py), background, 0)) << "at " << px << "," << py;
}

}  // namespace
