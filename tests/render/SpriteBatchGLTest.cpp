// The batch must give the picture of drawing each quad on its own with the
// matrix stack, as the bullets and explosions were drawn: the same corners
// for any turn, and blending in the order the quads were added even when a
// texture comes back after another.
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

// A 2 x 2 texture with four colours, so a wrong turn or mirror shows.
unsigned QuarteredTexture()
{
    const unsigned char texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

std::vector<unsigned char> Frame()
{
    std::vector<unsigned char> pixels(640 * 480 * 4);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void LookDown()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 1000.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
}

// One quad at a time through the matrix stack, the way the game drew them.
std::vector<unsigned char> DrawOneByOne(const std::vector<Sprite>& sprites)
{
    LookDown();
    for (const Sprite& s : sprites) {
        glPushMatrix();
        glTranslatef(s.x, 0.0f, s.z);
        glRotatef(s.degrees, 0.0f, 1.0f, 0.0f);
        s.texture->Bind(0);
        glColor4f(1.0f, 1.0f, 1.0f, s.alpha);
        glBegin(GL_QUADS);
        for (const SpriteCorner& c : kCorners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(c.x * s.h, 0.0f, c.z * s.h);
        }
        glEnd();
        Texture::Unbind(0);
        glPopMatrix();
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    return Frame();
}

std::vector<unsigned char> DrawBatched(const std::vector<Sprite>& sprites, size_t expectedRuns)
{
    LookDown();
    SpriteBatch batch;
    for (const Sprite& s : sprites) {
        const float colour[4] = {1.0f, 1.0f, 1.0f, s.alpha};
        batch.AddFlat(s.texture, colour, s.x, 0.0f, s.z, s.h, s.degrees, kCorners);
    }
    EXPECT_EQ(batch.GetRuns(), expectedRuns);
    batch.Flush();
    EXPECT_EQ(batch.GetQueued(), 0u);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 1.0f);
    return Frame();
}

// Channels that differ by more than one level.
int Differences(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += std::abs(a[i] - b[i]) > 1;
    return count;
}

TEST(SpriteBatchGL, TurnedAndOverlappingQuadsLookAsWhenDrawnOneByOne)
{
    ResetGLState();
    Texture quartered(QuarteredTexture(), 2, 2);
    Texture red(MakeSolidTexture({255, 0, 0, 255}), 1, 1);
    const struct {
        const char* what;
        std::vector<Sprite> sprites;
        size_t runs;
    } cases[] = {
        {"turns", {{&quartered, -200, 0, 60, 0, 1}, {&quartered, 0, 100, 60, 30, 1}, {&quartered, 200, 0, 60, 200, 1}}, 1},
        // Red, then quartered, then red again over both: a batch that joined the
        // two red quads would blend the quartered one last.
        {"order", {{&red, 0, 0, 80, 0, 0.5f}, {&quartered, 40, 0, 80, 90, 0.5f}, {&red, 80, 0, 80, 0, 0.5f}}, 3},
    };
    LookDown();
    const std::vector<unsigned char> blank = Frame();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> expected = DrawOneByOne(c.sprites);
        EXPECT_GT(Differences(expected, blank), 10000);
        const std::vector<unsigned char> batched = DrawBatched(c.sprites, c.runs);
        EXPECT_EQ(Differences(expected, batched), 0);
    }
    quartered.Release();
    red.Release();
    ResetGLState();
}

}  // namespace
