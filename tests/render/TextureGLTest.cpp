#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/GL.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(TextureGL, ImagesUploadUprightInEveryLayout)
{
    const struct {
        int colorType, channels, depth;
        uint32_t width;
    } cases[] = {{2, 3, 8, 5}, {2, 3, 8, 7}, {6, 4, 8, 3}, {0, 1, 8, 5}, {4, 2, 8, 3},
                   {6, 4, 16, 3}, {2, 3, 16, 5}, {0, 1, 16, 5}, {4, 2, 16, 3}};
    TempDir dir;
    for (const auto& c : cases) {  // odd widths of RGB rows are not a multiple of four bytes
        SCOPED_TRACE(testing::Message() << "colour type " << c.colorType << " depth " << c.depth << " width " << c.width);
        PngWriteOptions o;
        o.width = c.width;
        o.height = 4;
        o.colorType = c.colorType;
        o.depth = c.depth;
        // Pixel (x, y), y from the top, encodes its own coordinates; 16-bit
        // samples get a low byte that the upload drops.
        std::vector<uint8_t> image;
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < c.width; ++x)
                for (int k = 0; k < c.channels; ++k) {
                    image.push_back(k == 0 ? uint8_t(x * 20) : k == 1 ? uint8_t(y * 40) : uint8_t(200 + k));
                    if (c.depth == 16)
                        image.push_back(0x5A);
                }
        Texture texture(dir.Write("t.png", WritePng(o, image)));
        ASSERT_EQ(texture.GetWidth(), int(c.width));
        ASSERT_EQ(texture.GetHeight(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < int(c.width); ++x) {
                uint8_t r = uint8_t(x * 20), g = uint8_t(y * 40);
                // Read back as RGBA, luminance lands in red only.
                const Rgba expected[] = {{r, 0, 0, 255}, {r, 0, 0, g}, {r, g, 202, 255}, {r, g, 202, 203}};
                // GL row 0 is t = 0, the image's bottom row.
                ASSERT_EQ(TexturePixel(texture.GetId(), c.width, 4, x, 3 - y), expected[c.channels - 1]) << x << "," << y;
            }
        texture.Bind(7);  // any unit outside 0..3 means unit 0
        GLint unit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
        EXPECT_EQ(unit, GL_TEXTURE0);
        Texture::Unbind(0);
        texture.Release();
    }
}

TEST(TextureGL, UndecodableFileBecomesAPlaceholderAndSaysSo)
{
    TempDir dir;
    std::string path = dir.Write("broken.png", std::string("\x89PNG\r\n\x1a\nnot really", 18));
    std::unique_ptr<Texture> texture;
    std::string out = CaptureStdout([&] { texture = std::make_unique<Texture>(path); });
    EXPECT_NE(out.find("Could not decode " + path), std::string::npos) << out;
    ASSERT_NE(texture->GetId(), 0u);
    EXPECT_EQ(TexturePixel(texture->GetId(), texture->GetWidth(), texture->GetHeight(), 0, 0), (Rgba{255, 0, 255, 255}));
    texture->Release();
}

TEST(TextureGL, ManagerLoadsDirectoryInNameOrderAndLooksUpExactly)
{
    TempDir dir;
    PngWriteOptions o;
    o.width = 2;
    o.height = 3;
    dir.Write("ship.png", WritePng(o, std::vector<uint8_t>(2 * 3 * 4, 255)));
    dir.Write("a.png", WritePng(o, std::vector<uint8_t>(2 * 3 * 4, 0)));
    dir.Write("readme.txt", "x");
    TextureManager manager;
    std::string out = CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    EXPECT_EQ(out, "Loading textures...\n  " + dir.Path() + "a.png\n  " + dir.Path() + "ship.png\n");
    ASSERT_NE(manager.GetTexture("ship.png"), nullptr);
    EXPECT_EQ(manager.GetTexture("ship.png")->GetHeight(), 3);
    out = CaptureStdout([&] {
        for (const char* name : {"Ship.png", "ship", "ship"})
            EXPECT_EQ(manager.GetTexture(name), nullptr) << name;
    });
    EXPECT_EQ(out, "  Missing texture Ship.png\n  Missing texture ship\n");
}

}  // namespace
