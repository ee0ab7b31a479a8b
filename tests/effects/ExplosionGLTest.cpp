// Effects drawn for real, looking straight down from (0, 1000, 0) with +z up
// the screen as the game does. The explosion sprite is solid white, so a
// pixel shows the alpha blend against the clear colour; the shockwave is solid
// orange, so the distortion map shows that its own texture was used. Both are
// PNG files loaded into a texture manager of the test's own.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

using GFX::Explosion;
using Points = std::vector<std::pair<int, int>>;

std::vector<uint8_t> SolidPng(uint8_t r, uint8_t g, uint8_t b)
{
    PngWriteOptions options;
    options.width = options.height = 1;
    return WritePng(options, {r, g, b, 255});
}

// Window pixels 3 inside each edge of the square of half-extent h at height
// 10 around (x, 0) under the current matrices, and its centre (`inside`), and
// 3 outside each edge (`outside`).
void SquareProbes(int h, Points& inside, Points& outside, double x = 0)
{
    GLdouble model[16], projection[16], x1, y1, x2, y2, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x - h, 10.0, -h, model, projection, viewport, &x1, &y1, &z);
    gluProject(x + h, 10.0, h, model, projection, viewport, &x2, &y2, &z);
    const int left = static_cast<int>(std::ceil(std::min(x1, x2))), right = static_cast<int>(std::max(x1, x2));
    const int bottom = static_cast<int>(std::ceil(std::min(y1, y2))), top = static_cast<int>(std::max(y1, y2));
    const int cx = (left + right) / 2, cy = (bottom + top) / 2;
    inside = {{cx, cy}, {left + 3, cy}, {right - 3, cy}, {cx, bottom + 3}, {cx, top - 3}};
    outside = {{left - 4, cy}, {right + 4, cy}, {cx, bottom - 4}, {cx, top + 4}};
}

// Clears the window, looks down and returns the clear colour as read back.
Rgba LookDown()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    return ReadPixel(320, 240);
}

TEST(ExplosionGL, SpriteFadesOverItsSquareShockwavesAddUpAndMissingSpritesStillShow)
{
    ResetGLState();
    GlobalInfo::Instance().Reset();  // no world: explosions make no chain
    TempDir dir;
    dir.Write("explosion.png", SolidPng(255, 255, 255));
    dir.Write("shockwave.png", SolidPng(255, 128, 0));
    TextureManager textures;
    CaptureStdout([&] { textures.LoadDirectory(dir.Path()); });
    ASSERT_EQ(textures.Count(), 2u);
    Explosion::SetTextureSource(&textures);

    // Half-extent size / 2 + time / 6 truncated, alpha 1 - time / (size x 10),
    // worked out by hand so a wrong formula in the product shows here too.
    const struct {
        float size, time;
        int halfExtent;
        float alpha;
    } cases[] = {{200, 1000, 266, 0.5f}, {50, 480, 105, 0.04f}};
    for (auto [size, time, halfExtent, alpha] : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << size << " time " << time);
        const Rgba background = LookDown();
        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        GraphicalEffects effects;
        effects.AddExplosion(size, Vec2(0.0f, 0.0f), 0.0f);
        effects.Update(time);
        effects.Draw();
        Points inside, outside;
        SquareProbes(halfExtent, inside, outside);
        const auto lit = static_cast<uint8_t>(std::lround(alpha * 255 + (1 - alpha) * background[0]));
        for (auto [x, y] : inside)
            EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{lit, lit, lit, ReadPixel(x, y)[3]}, 3))
                << "inside at " << x << "," << y << ": " << int(ReadPixel(x, y)[0]) << " expected " << int(lit);
        for (auto [x, y] : outside)
            EXPECT_TRUE(Near(ReadPixel(x, y), background, 2)) << "outside at " << x << "," << y;
        effects.DrawDistortion();
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after));
        glActiveTextureARB(GL_TEXTURE0_ARB);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // Size 150 aged 300 and 600 ms: shockwaves of half-extents 150 + 2 x
    // time / 6 (250 and 350), alphas 0.8 and 0.6, summed by the pass's
    // additive blend into the distortion map.
    textures.CreateRenderTarget(2, 2, 640, 480);
    FramebufferObject* target = textures.GetRenderTarget(2);
    ASSERT_NE(target, nullptr);
    GraphicalEffects waves;
    waves.AddExplosion(150.0f, Vec2(0.0f, 0.0f), -300.0f);
    waves.AddExplosion(150.0f, Vec2(0.0f, 0.0f), -600.0f);
    target->Bind(1);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    LookDown();
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    waves.DrawDistortion();
    glReadBuffer(GL_COLOR_ATTACHMENT1_EXT);
    Points inside, outside, unused;
    SquareProbes(250, inside, unused);
    for (auto [x, y] : inside)
        EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{255, 179, 0, 255}, 3)) << x << "," << y;
    SquareProbes(350, unused, outside);
    for (auto [x, y] : outside)
        EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{0, 0, 0, 255}, 1)) << "outside at " << x << "," << y;
    FramebufferObject::Unbind();
    glReadBuffer(GL_BACK);
    ResetGLState();

    // Without the sprites: each named (once per name is the manager's, in
    // TextureGLTest), and each pass alone draws a plain white square, blended.
    TextureManager empty;
    Explosion::SetTextureSource(&empty);
    GraphicalEffects effects;
    effects.AddExplosion(100.0f, Vec2(0.0f, 0.0f), 0.0f);
    effects.Update(500.0f);  // alpha 0.5
    std::string output;
    for (auto pass : {&GraphicalEffects::Draw, &GraphicalEffects::DrawDistortion}) {
        const Rgba background = LookDown();
        output += CaptureStdout([&] { (effects.*pass)(); });
        EXPECT_GT(ReadPixel(320, 240)[0], background[0] + 40) << output;
    }
    EXPECT_EQ(output, "  Missing texture explosion.png\n  Missing texture shockwave.png\n");
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    Explosion::SetTextureSource(nullptr);
    ResetGLState();
}

}  // namespace
