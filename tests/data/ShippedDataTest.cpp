// The data files the game ships, read the way its loaders read them: the
// level's records are whole and name existing files; textures decode as 8-bit
// RGB or RGBA; models load with a finite tangent frame; the heightmap is an
// 8-bit greyscale TGA whose height is not a multiple of the 50-row chunk
// length. And data/ stays small.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/RecordReader.h"
#include "render/Model.h"
#include "render/Texture.h"
#include "scene/LevelFile.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
const fs::path kRoot = VANTREL_SOURCE_DIR;

LevelFile ReadLevel()
{
    LevelFile level;
    std::string error;
    EXPECT_TRUE(LevelFile::Parse(ReadFile((kRoot / "data/levels/Level1.txt").string()), "Level1.txt", level, error))
        << error;
    return level;
}

// The records of `size` lines in the file; each must be whole.
std::vector<std::vector<std::string>> Records(const std::string& path, size_t size)
{
    std::ifstream in(kRoot / path);
    EXPECT_TRUE(in.good()) << path;
    RecordReader reader(in);
    std::vector<std::vector<std::string>> records;
    for (std::string line; reader.NextRecordStart(line);) {
        records.push_back({line});
        while (records.back().size() < size && reader.NextLine(line))
            records.back().push_back(line);
        EXPECT_EQ(records.back().size(), size) << path << ": the last record ends early";
    }
    return records;
}

bool Numbers(const std::string& line, int count)
{
    std::vector<int> values(count);
    return RecordReader::ReadInts(line, values.data(), count) == count;
}

bool Exists(const fs::path& path)
{
    return fs::is_regular_file(kRoot / path);
}

}  // namespace

TEST(ShippedData, LevelRecordsAreWholeAndNameExistingFiles)
{
    const LevelFile level = ReadLevel();
    EXPECT_TRUE(level.width > 0 && level.width <= 2500) << "the camera's follow divisor 2500 / width must not be 0";
    const auto types = Records(level.enemyTypesPath, 6), enemies = Records(level.enemiesPath, 3),
               bullets = Records(level.bulletTypesPath, 2);
    EXPECT_TRUE(types.size() >= 4 && enemies.size() >= 20 && bullets.size() >= 4);
    std::vector<std::string> names;
    for (const auto& r : types) {
        names.push_back(RecordReader::FirstWord(r[0]));
        EXPECT_TRUE(Exists(RecordReader::FirstWord(r[1])) && Exists("data/textures/" + RecordReader::FirstWord(r[2])) &&
                    Exists(RecordReader::FirstWord(r[3])) && Numbers(r[4], 1) && Numbers(r[5], 1))
            << names.back();
    }
    for (const auto& r : enemies)
        EXPECT_TRUE(std::count(names.begin(), names.end(), RecordReader::FirstWord(r[0])) == 1 && Numbers(r[1], 2) &&
                    Numbers(r[2], 3))
            << r[0] << " / " << r[1] << " / " << r[2];
    for (const auto& r : bullets)
        EXPECT_TRUE(Exists("data/textures/" + RecordReader::FirstWord(r[0])) && Numbers(r[1], 2)) << r[0];

    const std::string tga = ReadFile((kRoot / level.heightmapPath).string());
    ASSERT_GE(tga.size(), 18u);
    EXPECT_EQ(tga.substr(0, 12), std::string("\0\0\3\0\0\0\0\0\0\0\0\0", 12));
    const int width = uint8_t(tga[12]) | (uint8_t(tga[13]) << 8), height = uint8_t(tga[14]) | (uint8_t(tga[15]) << 8);
    EXPECT_EQ(int(uint8_t(tga[16])), 8) << "bits per pixel";
    EXPECT_EQ(tga.size(), 18u + size_t(width) * size_t(height));
    EXPECT_NE(height % 50, 0) << "the last 50-row chunk reads one row past itself";
}

TEST(ShippedData, TexturesAndModelsLoadWhole)
{
    int textures = 0, models = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/textures")) {
        if (entry.path().extension() != ".png")
            continue;
        ++textures;
        TextureImage image;
        EXPECT_EQ(Texture::Decode(entry.path().string(), image), 0) << entry.path();
        EXPECT_EQ(int(uint8_t(ReadFile(entry.path().string()).at(24))), 8) << entry.path() << ": bit depth";
        EXPECT_TRUE(image.channels == 3 || image.channels == 4) << entry.path();
    }
    for (const auto& entry : fs::directory_iterator(kRoot / "data/models")) {
        ++models;
        Model model;
        EXPECT_EQ(CaptureStdout([&] { model.LoadObj(entry.path().string()); }), "") << entry.path();
        EXPECT_GT(model.GetTriangleCount(), 50) << entry.path();
        EXPECT_TRUE(model.HasTexCoords()) << entry.path();
        for (const std::vector<float>* frame : {&model.GetNormals(), &model.GetTangents(), &model.GetBitangents()})
            for (size_t i = 0; i + 2 < frame->size(); i += 3)
                ASSERT_NEAR(std::hypot((*frame)[i], (*frame)[i + 1], (*frame)[i + 2]), 1.0f, 1e-3f) << entry.path();
    }
    EXPECT_TRUE(textures > 10 && models >= 7) << textures << " textures, " << models << " models";

    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "data"))
        total += entry.is_regular_file() ? entry.file_size() : 0;
    EXPECT_LT(total, 5u * 1024 * 1024);
}
