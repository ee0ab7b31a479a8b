// Explosions drawn for real, looking straight down from (0, 1000, 0) with +z
// up the screen as the game does, additively over black so that a pixel
// reads the sprite's colour times its alpha, summed where two overlap. The
// explosion sprite is solid white and the shockwave solid orange, so the
// colour shows which texture was used; both are PNG files loaded into a
// texture manager of the test's own.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

// Window pixels 3 inside each edge of the square of half-extent h at height
// 10 around the origin, and its centre (`inside`), and 4 outside each edge
// (`outside`), under the current matrices.
void SquareProbes(int h, Points& inside, Points& outside)
{
    GLdouble model[16], projection[16], x1, y1, x2, y2, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(-h, 10.0, -h, model, projection, viewport, &x1, &y1, &z);
    gluProject(h, 10.0, h, model, projection, viewport, &x2, &y2, &z);
    const int left = int(std::ceil(std::min(x1, x2))), right = int(std::max(x1, x2));
    const int bottom = int(std::ceil(std::min(y1, y2))), top = int(std::max(y1, y2));
    const int cx = (left + right) / 2, cy = (bottom + top) / 2;
    inside = {{cx, cy}, {left + 3, cy}, {right - 3, cy}, {cx, bottom + 3}, {cx, top - 3}};
    outside = {{left - 4, cy}, {right + 4, cy}, {cx, bottom - 4}, {cx, top + 4}};
}

// Half-extents size / 2 + age / 6 (sprite) and size + 2 x age / 6
// (shockwave), truncated, and alpha 1 - age / (size x 10), worked out by
// hand so a wrong formula in the product shows here too. Without its texture
// each pass still draws a plain white square, and the manager names what is
// missing.
TEST(ExplosionGL, SpritesAndShockwavesCoverTheirSquaresWithTheirAlpha)
{
    ResetGLState();
    GlobalInfo::Instance().Reset();  // no world: explosions make no chain
    TempDir dir;
    dir.Write("explosion.png", WritePng({}, {255, 255, 255, 255}));
    dir.Write("shockwave.png", WritePng({}, {255, 128, 0, 255}));
    TextureManager textures, empty;
    CaptureStdout([&] { textures.LoadDirectory(dir.Path()); });
    ASSERT_EQ(textures.Count(), 2u);
    const auto sprite = &GraphicalEffects::Draw, shockwave = &GraphicalEffects::DrawDistortion;
    const struct {
        const char* what;
        TextureManager* sprites;
        void (GraphicalEffects::*pass)();
        float size;
        std::vector<float> ages;
        int inner, outer;  // half-extents of the smallest and the largest
        Rgba colour;       // inside the smallest
    } cases[] = {
        {"sprite at half alpha", &textures, sprite, 200, {1000}, 266, 266, {128, 128, 128, 255}},
        {"faint sprite", &textures, sprite, 50, {480}, 105, 105, {10, 10, 10, 255}},
        {"two shockwaves", &textures, shockwave, 150, {300, 600}, 250, 350, {255, 179, 0, 255}},
        {"sprite without its texture", &empty, sprite, 100, {500}, 133, 133, {128, 128, 128, 255}},
        {"shockwave without its texture", &empty, shockwave, 100, {500}, 266, 266, {128, 128, 128, 255}},
    };
    std::string missing;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GFX::Explosion::SetTextureSource(c.sprites);
        GraphicalEffects effects;
        for (float age : c.ages)
            effects.AddExplosion(c.size, Vec2(0.0f, 0.0f), -age);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        missing += CaptureStdout([&] { (effects.*c.pass)(); });
        Points inside, outside, unused;
        SquareProbes(c.inner, inside, unused);
        SquareProbes(c.outer, unused, outside);
        for (auto [x, y] : inside)
            EXPECT_TRUE(Near(ReadPixel(x, y), c.colour, 3)) << "inside at " << x << "," << y << ": " << int(ReadPixel(x, y)[0]);
        for (auto [x, y] : outside)
            EXPECT_TRUE(Near(ReadPixel(x, y), {0, 0, 0, 255}, 1)) << "outside at " << x << "," << y;
    }
    EXPECT_EQ(missing, "  Missing texture explosion.png\n  Missing texture shockwave.png\n");
    GFX::Explosion::SetTextureSource(nullptr);
    ResetGLState();
}

}  // namespace
