#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

// Designated initializers leave the other options at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

TEST(TextureGL, ImagesUploadUprightInEveryLayout)
{
    // Colour type, channels, depth, width; rows of five grey or RGB pixels are
    // not a multiple of four bytes. 8-bit RGBA is on every shipped frame.
    const std::tuple<int, int, int, uint32_t> cases[] = {{0, 1, 8, 5}, {2, 3, 16, 5}, {4, 2, 16, 3}};
    TempDir dir;
    for (const auto& [colorType, channels, depth, width] : cases) {
        SCOPED_TRACE(testing::Message() << "colour type " << colorType << " depth " << depth);
        // Pixel (x, y), y from the top, encodes its own coordinates; 16-bit
        // samples get a low byte that the upload drops.
        std::vector<uint8_t> image;
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < width; ++x)
                for (int k = 0; k < channels; ++k) {
                    image.push_back(k == 0 ? uint8_t(x * 20) : k == 1 ? uint8_t(y * 40) : uint8_t(200 + k));
                    if (depth == 16)
                        image.push_back(0x5A);
                }
        PngWriteOptions o{.width = width, .height = 4, .colorType = colorType, .depth = depth};
        Texture texture(dir.Write("t.png", WritePng(o, image)));
        ASSERT_TRUE(texture.GetWidth() == int(width) && texture.GetHeight() == 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < int(width); ++x) {
                uint8_t r = uint8_t(x * 20), g = uint8_t(y * 40);
                // Read back as RGBA, luminance lands in red only.
                const Rgba expected[] = {{r, 0, 0, 255}, {r, 0, 0, g}, {r, g, 202, 255}};
                // GL row 0 is t = 0, the image's bottom row.
                ASSERT_EQ(TexturePixel(texture.GetId(), width, 4, x, 3 - y), expected[channels - 1]) << x << "," << y;
            }
        texture.Release();
    }
}

// The manager loads the directory's PNG files, looks names up exactly and
// reports each missing one once; an undecodable file becomes a placeholder and
// says so. A render target's count is clamped to six, and a bind outside them
// draws to the window (that each attachment receives only its own drawing is
// seen in FullFrameGLTest's bloom and blur pictures).
TEST(TextureGL, ManagerLoadsTheDirectoryAndMakesRenderTargets)
{
    ResetGLState();
    TempDir dir;
    dir.Write("ship.png", WritePng({.width = 2, .height = 3}, std::vector<uint8_t>(2 * 3 * 4, 255)));
    const std::string broken = dir.Write("broken.png", std::string("\x89PNG\r\n\x1a\nnot really", 18));
    TextureManager manager;
    std::string out = CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    EXPECT_NE(out.find("Could not decode " + broken), std::string::npos) << out;
    ASSERT_NE(manager.GetTexture("ship.png"), nullptr);
    const Texture* placeholder = manager.GetTexture("broken.png");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(TexturePixel(placeholder->GetId(), placeholder->GetWidth(), placeholder->GetHeight(), 0, 0),
              (Rgba{255, 0, 255, 255}));
    out = CaptureStdout([&] {
        for (const char* name : {"Ship.png", "ship", "ship"})
            EXPECT_EQ(manager.GetTexture(name), nullptr) << name;
    });
    EXPECT_EQ(out, "  Missing texture Ship.png\n  Missing texture ship\n");

    EXPECT_EQ(CaptureStdout([&] { manager.CreateRenderTarget(1, 8, 64, 32); }), "");
    FramebufferObject* target = manager.GetRenderTarget(1);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->GetCount(), 6);
    for (int attachment : {-1, 6}) {
        EXPECT_TRUE(target->Bind(5));
        target->Bind(attachment);
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(bound, 0) << attachment;
    }
    EXPECT_TRUE(target->GetTexture(6) == nullptr && target->GetTexture(-1) == nullptr);
    // Slots beyond the four are refused.
    manager.CreateRenderTarget(4, 2, 16, 16);
    EXPECT_EQ(manager.GetRenderTarget(4), nullptr);
    ResetGLState();
}

}  // namespace
