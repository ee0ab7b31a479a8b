// The shipped models and textures through the game's own loaders: every model
// loads whole with texture coordinates and a usable tangent frame (no face is
// projected edge-on in its texture), and every texture decodes as 8-bit RGB or
// RGBA at its file's size.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "render/Model.h"
#include "render/Texture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
const fs::path kRoot = VANTREL_SOURCE_DIR;

int FaceLines(const fs::path& path)
{
    std::ifstream file(path);
    int faces = 0;
    for (std::string line; std::getline(file, line);)
        faces += line.rfind("f ", 0) == 0;
    return faces;
}

// True when every triple of `values` is finite and of unit length.
bool UnitVectors(const std::vector<float>& values)
{
    for (size_t i = 0; i + 2 < values.size(); i += 3) {
        const float x = values[i], y = values[i + 1], z = values[i + 2];
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
            return false;
        if (std::fabs(std::sqrt(x * x + y * y + z * z) - 1.0f) > 1e-3f)
            return false;
    }
    return true;
}

}  // namespace

TEST(ShippedAssets, EveryModelLoadsWithATangentFrame)
{
    int models = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/models")) {
        SCOPED_TRACE(entry.path().filename().string());
        ++models;
        Model model;
        const std::string output = CaptureStdout([&] { model.LoadObj(entry.path().string()); });
        EXPECT_EQ(output, "") << "the loader refused or complained";
        EXPECT_EQ(model.GetTriangleCount(), FaceLines(entry.path()));
        ASSERT_TRUE(model.HasTexCoords());
        EXPECT_TRUE(UnitVectors(model.GetNormals()));
        EXPECT_TRUE(UnitVectors(model.GetTangents()));
        EXPECT_TRUE(UnitVectors(model.GetBitangents()));
        for (float t : model.GetTexCoords())
            EXPECT_TRUE(t >= 0.0f && t <= 1.0f);
    }
    EXPECT_GE(models, 7);
}

TEST(ShippedAssets, EveryTextureDecodesAsTruecolour)
{
    int textures = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/textures")) {
        if (entry.path().extension() != ".png")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++textures;
        TextureImage image;
        ASSERT_EQ(Texture::Decode(entry.path().string(), image), 0);
        EXPECT_TRUE(image.channels == 3 || image.channels == 4);
        EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height * image.channels);
        EXPECT_GE(image.width, 16);
        EXPECT_LE(image.width, 256);
    }
    EXPECT_GT(textures, 10);
    // The glyph for 'A' (byte 65, cell 33: column 1, row 2 from the top) has ink,
    // and the space's cell (0) has none: the grid starts at the space character.
    TextureImage font;
    ASSERT_EQ(Texture::Decode((kRoot / "data/textures/font.png").string(), font), 0);
    ASSERT_EQ(font.channels, 4);
    auto inkInCell = [&](int cell) {
        int ink = 0;
        const int column = cell % 16, rowFromTop = cell / 16;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                // Decoded rows run bottom-up: image row r is texture row height - 1 - r.
                const int row = font.height - 1 - (rowFromTop * 16 + y);
                const int px = column * 16 + x;
                const uint8_t alpha = font.pixels[(size_t(row) * font.width + px) * 4 + 3];
                const uint8_t red = font.pixels[(size_t(row) * font.width + px) * 4];
                ink += (alpha > 128 && red > 128);
            }
        return ink;
    };
    EXPECT_GT(inkInCell('A' - 32), 15);
    EXPECT_EQ(inkInCell(' ' - 32), 0);
}
