// After a flush the batch leaves the GL as it found it; in particular the
// colour array must not leave its last colour current for the next pass
// (the batch's picture itself is on the shipped frames' shots and explosions).
#include <gtest/gtest.h>

#include "render/GL.h"
#include "render/SpriteBatch.h"
#include "render/Texture.h"
#include "tests/support/GLTestUtil.h"

namespace {

TEST(SpriteBatchGL, AFlushLeavesTheDrawStateAndColourAsPromised)
{
    ResetGLState();
    const SpriteCorner corners[4] = {{1, 0, -1, 0, -1}, {1, 1, -1, 0, 1}, {0, 1, 1, 0, 1}, {0, 0, 1, 0, -1}};
    Texture red(MakeSolidTexture({255, 0, 0, 255}), 1, 1);
    const float colour[4] = {1.0f, 1.0f, 1.0f, 0.5f};
    SpriteBatch batch;
    batch.AddFlat(&red, colour, 0.0f, 0.0f, 0.0f, 80.0f, 30.0f, corners);
    glColor4f(0.0f, 0.0f, 0.0f, 0.25f);
    batch.Flush();
    ExpectDrawStateRestored();
    red.Release();
    ResetGLState();
}

}  // namespace
