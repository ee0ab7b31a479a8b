#include <gtest/gtest.h>

#include <vector>

#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

Rgba TexturePixel(Texture* texture, int x, int y)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(texture->GetWidth() * texture->GetHeight() * 4));
    glBindTexture(GL_TEXTURE_2D, texture->GetId());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const uint8_t* p = &pixels[static_cast<size_t>((y * texture->GetWidth() + x) * 4)];
    return {p[0], p[1], p[2], p[3]};
}

TEST(FramebufferObjectGL, EachAttachmentReceivesOnlyItsOwnDrawing)
{
    ResetGLState();
    for (int count : {2, 4, 6}) {
        std::string out;
        FramebufferObject* target = nullptr;
        TextureManager manager;
        out = CaptureStdout([&] { manager.CreateRenderTarget(1, count, 64, 32); });
        target = manager.GetRenderTarget(1);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(out, "") << "count " << count;
        ASSERT_EQ(target->GetCount(), count);

        for (int i = 0; i < count; ++i) {
            target->Bind(i);
            EXPECT_EQ(glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT), GLenum(GL_FRAMEBUFFER_COMPLETE_EXT));
            glClearColor(i * 0.1f, 1.0f - i * 0.1f, 0.25f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        FramebufferObject::Unbind();
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);

        for (int i = 0; i < count; ++i) {
            Texture* texture = target->GetTexture(i);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(texture->GetWidth(), 64);
            Rgba expected{uint8_t(i * 0.1f * 255 + 0.5f), uint8_t((1.0f - i * 0.1f) * 255 + 0.5f), 64, 255};
            EXPECT_TRUE(Near(TexturePixel(texture, 5, 7), expected, 2)) << "count " << count << " attachment " << i;
        }
        EXPECT_EQ(target->GetTexture(count), nullptr);
        EXPECT_EQ(target->GetTexture(-1), nullptr);
    }
}

TEST(FramebufferObjectGL, CountIsClampedAndOutOfRangeBindDrawsToTheWindow)
{
    TextureManager manager;
    manager.CreateRenderTarget(0, 8, 16, 16);
    FramebufferObject* target = manager.GetRenderTarget(0);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetCount(), 6);

    GLint bound = -1;
    for (int attachment : {-1, 6}) {
        target->Bind(attachment);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(bound, 0) << attachment;
    }
    target->Bind(5);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(GLuint(bound), target->GetFramebuffer());
    FramebufferObject::Unbind();

    // Filling a slot again replaces the previous target; other slots are refused.
    manager.CreateRenderTarget(0, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(0)->GetCount(), 2);
    manager.CreateRenderTarget(4, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(4), nullptr);
    EXPECT_EQ(manager.GetRenderTarget(3), nullptr);
}

TEST(FramebufferObjectGL, StatusTextsNameEachIncompleteState)
{
    EXPECT_STREQ(FramebufferObject::StatusText(0x8CD6), "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT");
    EXPECT_STREQ(FramebufferObject::StatusText(0x8CDD), "GL_FRAMEBUFFER_UNSUPPORTED_EXT");
    EXPECT_EQ(FramebufferObject::StatusText(0x8CD8), nullptr);
}

}  // namespace
