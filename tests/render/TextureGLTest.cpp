#include <gtest/gtest.h>

#include <vector>

#include "render/GL.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<uint8_t> TextureBytes(const Texture& texture)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(texture.GetWidth() * texture.GetHeight() * 4));
    glBindTexture(GL_TEXTURE_2D, texture.GetId());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba At(const std::vector<uint8_t>& pixels, int width, int x, int y)
{
    const uint8_t* p = &pixels[static_cast<size_t>((y * width + x) * 4)];
    return {p[0], p[1], p[2], p[3]};
}

// An image whose pixel (x, y) (y from the top) encodes its own coordinates.
std::vector<uint8_t> CoordinateImage(const PngWriteOptions& o, int channels)
{
    std::vector<uint8_t> pixels;
    const int bytes = o.depth / 8;
    for (uint32_t y = 0; y < o.height; ++y)
        for (uint32_t x = 0; x < o.width; ++x)
            for (int c = 0; c < channels; ++c) {
                uint8_t value = c == 0 ? uint8_t(x * 20) : c == 1 ? uint8_t(y * 40) : uint8_t(200 + c);
                pixels.push_back(value);
                if (bytes == 2)
                    pixels.push_back(0x5A);  // low byte, dropped on upload
            }
    return pixels;
}

TEST(TextureGL, ImagesUploadUprightInEveryLayout)
{
    struct Case {
        int colorType, channels, depth;
        uint32_t width;
    };
    // Odd widths of RGB rows are not a multiple of four bytes.
    const Case cases[] = {{2, 3, 8, 5}, {2, 3, 8, 7}, {6, 4, 8, 3}, {0, 1, 8, 5}, {4, 2, 8, 3}, {6, 4, 16, 3}, {2, 3, 16, 5}};
    for (const Case& c : cases) {
        PngWriteOptions o;
        o.width = c.width;
        o.height = 4;
        o.colorType = c.colorType;
        o.depth = c.depth;
        TempDir dir;
        std::string path = dir.Write("t.png", WritePng(o, CoordinateImage(o, c.channels)));
        Texture texture(path);
        ASSERT_EQ(texture.GetWidth(), int(c.width));
        ASSERT_EQ(texture.GetHeight(), 4);
        std::vector<uint8_t> pixels = TextureBytes(texture);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < int(c.width); ++x) {
                // GL row 0 is t = 0, the image's bottom row.
                Rgba got = At(pixels, int(c.width), x, 3 - y);
                uint8_t r = uint8_t(x * 20), g = uint8_t(y * 40);
                Rgba expected;
                switch (c.channels) {
                // Reading a luminance texture back as RGBA puts L in red only.
                case 1: expected = {r, 0, 0, 255}; break;
                case 2: expected = {r, 0, 0, g}; break;
                case 3: expected = {r, g, 202, 255}; break;
                default: expected = {r, g, 202, 203}; break;
                }
                ASSERT_EQ(got, expected) << "colour type " << c.colorType << " depth " << c.depth << " width "
                                         << c.width << " at " << x << "," << y;
            }
        }
        texture.Release();
    }
}

TEST(TextureGL, UndecodableFileBecomesAPlaceholderAndSaysSo)
{
    TempDir dir;
    std::string path = dir.Write("broken.png", std::string("\x89PNG\r\n\x1a\nnot really", 18));
    std::string out;
    std::unique_ptr<Texture> texture;
    out = CaptureStdout([&] { texture = std::make_unique<Texture>(path); });
    EXPECT_NE(out.find("Could not decode " + path), std::string::npos) << out;
    ASSERT_NE(texture->GetId(), 0u);
    std::vector<uint8_t> pixels = TextureBytes(*texture);
    EXPECT_EQ(At(pixels, texture->GetWidth(), 0, 0), (Rgba{255, 0, 255, 255}));
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
    Texture* ship = manager.GetTexture("ship.png");
    ASSERT_NE(ship, nullptr);
    EXPECT_EQ(ship->GetWidth(), 2);
    EXPECT_EQ(ship->GetHeight(), 3);
    out = CaptureStdout([&] {
        EXPECT_EQ(manager.GetTexture("Ship.png"), nullptr);
        EXPECT_EQ(manager.GetTexture("ship"), nullptr);
        EXPECT_EQ(manager.GetTexture("ship"), nullptr);
    });
    EXPECT_EQ(out, "  Missing texture Ship.png\n  Missing texture ship\n");
}

TEST(TextureGL, TopLeftPixelIsDrawnAtTextureCoordinateZeroOne)
{
    ResetGLState();
    // A 2x2 image: top-left red, top-right green, bottom-left blue, bottom-right white.
    PngWriteOptions o;
    o.width = 2;
    o.height = 2;
    o.colorType = 2;
    TempDir dir;
    std::string path = dir.Write("q.png", WritePng(o, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
    Texture texture(path);
    glBindTexture(GL_TEXTURE_2D, texture.GetId());
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    texture.Bind(7);  // any unit outside 0..3 means unit 0
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(0, 0);
    glTexCoord2f(1, 0); glVertex2f(640, 0);
    glTexCoord2f(1, 1); glVertex2f(640, 480);
    glTexCoord2f(0, 1); glVertex2f(0, 480);
    glEnd();
    Texture::Unbind(0);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    EXPECT_EQ(ReadPixel(10, 470), (Rgba{255, 0, 0, 255}));   // window top-left
    EXPECT_EQ(ReadPixel(630, 470), (Rgba{0, 255, 0, 255}));  // top-right
    EXPECT_EQ(ReadPixel(10, 10), (Rgba{0, 0, 255, 255}));    // bottom-left
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    texture.Release();
}

}  // namespace
