#include <gtest/gtest.h>

#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

// Each attachment receives only its own drawing; the count is clamped to six,
// and a bind outside them draws to the window.
TEST(FramebufferObjectGL, EachAttachmentReceivesOnlyItsOwnDrawing)
{
    ResetGLState();
    TextureManager manager;
    EXPECT_EQ(CaptureStdout([&] { manager.CreateRenderTarget(1, 8, 64, 32); }), "");
    FramebufferObject* target = manager.GetRenderTarget(1);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->GetCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(target->Bind(i));
        glClearColor(i * 0.1f, 1.0f - i * 0.1f, 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    for (int attachment : {-1, 6}) {
        target->Bind(attachment);
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(bound, 0) << attachment;
    }
    for (int i = 0; i < 6; ++i) {
        Rgba expected{uint8_t(i * 0.1f * 255 + 0.5f), uint8_t((1.0f - i * 0.1f) * 255 + 0.5f), 64, 255};
        EXPECT_TRUE(Near(TexturePixel(target->GetTexture(i)->GetId(), 64, 32, 5, 7), expected)) << i;
    }
    EXPECT_EQ(target->GetTexture(6), nullptr);
    EXPECT_EQ(target->GetTexture(-1), nullptr);

    // Filling a slot again replaces the previous target; other slots are refused.
    manager.CreateRenderTarget(1, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(1)->GetCount(), 2);
    manager.CreateRenderTarget(4, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(4), nullptr);
    ResetGLState();
}

}  // namespace
