#include <gtest/gtest.h>

#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(FramebufferObjectGL, EachAttachmentReceivesOnlyItsOwnDrawing)
{
    ResetGLState();
    for (int count : {2, 4, 6}) {
        TextureManager manager;
        EXPECT_EQ(CaptureStdout([&] { manager.CreateRenderTarget(1, count, 64, 32); }), "") << count;
        FramebufferObject* target = manager.GetRenderTarget(1);
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(target->GetCount(), count);
        for (int i = 0; i < count; ++i) {
            target->Bind(i);
            EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
            glClearColor(i * 0.1f, 1.0f - i * 0.1f, 0.25f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        FramebufferObject::Unbind();
        for (int i = 0; i < count; ++i) {
            Texture* texture = target->GetTexture(i);
            ASSERT_NE(texture, nullptr);
            Rgba expected{uint8_t(i * 0.1f * 255 + 0.5f), uint8_t((1.0f - i * 0.1f) * 255 + 0.5f), 64, 255};
            EXPECT_TRUE(Near(TexturePixel(texture->GetId(), 64, 32, 5, 7), expected)) << count << " attachment " << i;
        }
        EXPECT_EQ(target->GetTexture(count), nullptr);
        EXPECT_EQ(target->GetTexture(-1), nullptr);
    }
    ResetGLState();
}

TEST(FramebufferObjectGL, CountIsClampedAndOutOfRangeBindDrawsToTheWindow)
{
    TextureManager manager;
    manager.CreateRenderTarget(0, 8, 16, 16);
    FramebufferObject* target = manager.GetRenderTarget(0);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetCount(), 6);
    for (int attachment : {-1, 6, 5}) {
        target->Bind(attachment);
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(GLuint(bound), attachment == 5 ? target->GetFramebuffer() : 0u) << attachment;
    }
    FramebufferObject::Unbind();

    // Filling a slot again replaces the previous target; other slots are refused.
    manager.CreateRenderTarget(0, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(0)->GetCount(), 2);
    manager.CreateRenderTarget(4, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(4), nullptr);
}

}  // namespace
