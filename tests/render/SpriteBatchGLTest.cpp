// The batch must give the picture of drawing each quad on its own with the
// matrix stack, as the bullets and explosions were drawn: the same corners
// for any turn, and blending in the order the quads were added even when a
// texture comes back after another.
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "render/GL.h"
#include "render/SpriteBatch.h"
#include "render/Texture.h"
#include "tests/support/GLTestUtil.h"

namespace {

const SpriteCorner kCorners[4] = {{1, 0, -1, 0, -1}, {1, 1, -1, 0, 1}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, -1}};

struct Sprite {
    const Texture* texture;
    float x, z, h, degrees, alpha;
};

// The whole window looked at from above, after drawing `sprites` one by one
// through the matrix stack or, when `runs` is given, through a batch that
// should draw them in that many runs.
std::vector<unsigned char> Draw(const std::vector<Sprite>& sprites, size_t runs = 0)
{
    const bool batched = runs > 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    SpriteBatch batch;
    for (const Sprite& s : sprites) {
        const float colour[4] = {1.0f, 1.0f, 1.0f, s.alpha};
        if (batched) {
            batch.AddFlat(s.texture, colour, s.x, 0.0f, s.z, s.h, s.degrees, kCorners);
            continue;
        }
        glPushMatrix();
        glTranslatef(s.x, 0.0f, s.z);
        glRotatef(s.degrees, 0.0f, 1.0f, 0.0f);
        s.texture->Bind(0);
        glColor4fv(colour);
        glBegin(GL_QUADS);
        for (const SpriteCorner& c : kCorners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(c.x * s.h, 0.0f, c.z * s.h);
        }
        glEnd();
        Texture::Unbind(0);
        glPopMatrix();
    }
    if (batched) {
        EXPECT_EQ(batch.GetRuns(), runs);
        glColor4f(0.0f, 0.0f, 0.0f, 0.25f);
        batch.Flush();
        EXPECT_EQ(batch.GetQueued() + batch.GetRuns(), 0u);  // empty for the next frame
        ExpectDrawStateRestored();
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    return ReadWindow();
}

TEST(SpriteBatchGL, TurnedAndOverlappingQuadsLookAsWhenDrawnOneByOne)
{
    ResetGLState();
    // Four colours in 2 x 2 texels, so a wrong turn or mirror shows.
    Texture quartered(MakeSolidTexture({0, 0, 0, 255}), 2, 2), red(MakeSolidTexture({255, 0, 0, 255}), 1, 1);
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    glBindTexture(GL_TEXTURE_2D, quartered.GetId());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    const std::tuple<const char*, std::vector<Sprite>, size_t> cases[] = {
        {"turns", {{&quartered, -200, 0, 60, 0, 1}, {&quartered, 0, 100, 60, 30, 1}, {&quartered, 200, 0, 60, 200, 1}}, 1},
        // Red, then quartered, then red again over both: a batch that joined the
        // two red quads would blend the quartered one last.
        {"order", {{&red, 0, 0, 80, 0, 0.5f}, {&quartered, 40, 0, 80, 90, 0.5f}, {&red, 80, 0, 80, 0, 0.5f}}, 3},
    };
    const std::vector<unsigned char> blank = Draw({});
    for (const auto& [what, sprites, runs] : cases) {
        SCOPED_TRACE(what);
        const std::vector<unsigned char> expected = Draw(sprites);
        EXPECT_GT(Differences(expected, blank), 10000);
        EXPECT_EQ(Differences(expected, Draw(sprites, runs)), 0);
    }
    quartered.Release();
    red.Release();
    ResetGLState();
}

}  // namespace
