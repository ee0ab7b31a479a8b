// An explosion whose sprite texture is missing, drawn for real looking
// straight down from (0, 1000, 0) with +z up the screen as the game does,
// additively over black so that a pixel reads the sprite's colour times its
// alpha. With their textures explosions and shockwaves are on the shipped
// frames (ShippedFramesGLTest); that a shockwave without its texture is still
// drawn, GraphicalEffectsTest.
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

// Without its texture the sprite is still drawn as a plain white square of
// its size (half-extent 100 / 2 + 500 / 6, truncated) fading with its age
// (alpha 1 - 500 / 1000), and the manager names what is missing.
TEST(ExplosionGL, WithoutItsTextureTheSpriteIsAPlainSquare)
{
    ResetGLState();
    GlobalInfo::Instance().Reset();  // no world: explosions make no chain
    TextureManager empty;
    GFX::Explosion::SetTextureSource(&empty);
    GraphicalEffects effects;
    effects.AddExplosion(100.0f, Vec2(0.0f, 0.0f), -500.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(CaptureStdout([&] { effects.Draw(); }), "  Missing texture explosion.png\n");
    Points inside, outside;
    SquareProbes(133, inside, outside);
    for (auto [x, y] : inside)
        EXPECT_TRUE(Near(ReadPixel(x, y), {128, 128, 128, 255}, 3))
            << "inside at " << x << "," << y << ": " << int(ReadPixel(x, y)[0]);
    for (auto [x, y] : outside)
        EXPECT_TRUE(Near(ReadPixel(x, y), {0, 0, 0, 255}, 1)) << "outside at " << x << "," << y;
    GFX::Explosion::SetTextureSource(nullptr);
    ResetGLState();
}

}  // namespace
