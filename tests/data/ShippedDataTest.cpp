// The data files the game ships, checked against what its loaders read: every
// name the game looks up exists; textures decode as 8-bit RGB or RGBA; models
// load whole with a tangent frame; the level's files are well-formed records
// that name existing files; the heightmap's height is not a multiple of the
// 50-row chunk length. And data/ stays small.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/Model.h"
#include "render/Texture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
const fs::path kRoot = VANTREL_SOURCE_DIR;

std::vector<std::string> Lines(const fs::path& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::string FirstWord(const std::string& line)
{
    std::string word;
    std::istringstream(line) >> word;
    return word;
}

bool IsComment(const std::string& line)
{
    return !line.empty() && line[0] == '#';
}

// Records of `size` lines, with '#' lines allowed only before each record.
std::vector<std::vector<std::string>> Records(const fs::path& path, size_t size)
{
    std::vector<std::string> lines = Lines(path);
    std::vector<std::vector<std::string>> records;
    for (size_t i = 0; i < lines.size();) {
        if (IsComment(lines[i])) {
            ++i;
            continue;
        }
        EXPECT_LE(i + size, lines.size()) << path << ": a record ends early at line " << i + 1;
        records.emplace_back();
        for (size_t k = 0; k < size && i < lines.size(); ++k, ++i) {
            EXPECT_FALSE(IsComment(lines[i])) << path << ":" << i + 1 << ": comment inside a record";
            records.back().push_back(lines[i]);
        }
    }
    return records;
}

// True when the line starts with `count` integers.
bool ReadsAs(const std::string& line, int count)
{
    std::istringstream in(line);
    long value = 0;
    while (count-- > 0)
        if (!(in >> value))
            return false;
    return true;
}

// True when every triple of `values` is finite and of unit length.
bool UnitVectors(const std::vector<float>& values)
{
    for (size_t i = 0; i + 2 < values.size(); i += 3) {
        float length = std::sqrt(values[i] * values[i] + values[i + 1] * values[i + 1] + values[i + 2] * values[i + 2]);
        if (!(std::fabs(length - 1.0f) <= 1e-3f))
            return false;
    }
    return true;
}

struct Level {
    int width = 0, length = 0;
    fs::path types, enemies, bullets, heightmap;
};

Level ReadLevel()
{
    std::vector<std::string> lines = Lines(kRoot / "data/levels/Level1.txt");
    size_t i = 0;
    while (i < lines.size() && IsComment(lines[i]))
        ++i;
    Level level;
    EXPECT_GE(lines.size(), i + 5) << "size line and four paths";
    if (lines.size() < i + 5)
        return level;
    EXPECT_TRUE(std::istringstream(lines[i]) >> level.width >> level.length) << lines[i];
    for (fs::path* path : {&level.types, &level.enemies, &level.bullets, &level.heightmap})
        *path = kRoot / FirstWord(lines[++i]);
    return level;
}

}  // namespace

TEST(ShippedData, EveryNameTheGameLooksUpExists)
{
    for (const char* file :
         {"textures/font.png", "textures/ship.png", "textures/gui-meters.png", "textures/gui-corner.png",
          "textures/explosion.png", "textures/shockwave.png", "textures/bg.png", "textures/fg.png",
          "textures/gui-bars.png", "shaders/player.shdr", "shaders/shield.shdr", "shaders/enemy.shdr",
          "shaders/ground.shdr", "shaders/bloom.shdr", "shaders/blurx.shdr", "shaders/blury.shdr",
          "shaders/distort.shdr", "models/ship.obj", "models/shield.obj", "scripts/main.lua",
          "scripts/weapons/vulcan-primary.lua", "scripts/weapons/vulcan-secondary.lua", "levels/Level1.txt"})
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data" / file)) << file;
    // The font's licence travels with it.
    EXPECT_NE(ReadFile((kRoot / "data/textures/font-licence.txt").string()).find("Bitstream"), std::string::npos);
}

TEST(ShippedData, TexturesDecodeAsEightBitTruecolour)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/textures")) {
        if (entry.path().extension() != ".png")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++count;
        TextureImage image;
        ASSERT_EQ(Texture::Decode(entry.path().string(), image), 0);
        EXPECT_EQ(int(uint8_t(ReadFile(entry.path().string()).at(24))), 8) << "bit depth";
        EXPECT_TRUE(image.channels == 3 || image.channels == 4) << image.channels << " channels";
        EXPECT_TRUE(image.width >= 16 && image.width <= 256 && image.height >= 16 && image.height <= 256);
    }
    EXPECT_GT(count, 10);

    // The font grid starts at the space character: the cell of 'A' (33:
    // column 1, row 2 from the top) has ink, the space's cell (0) none.
    TextureImage font;
    ASSERT_EQ(Texture::Decode((kRoot / "data/textures/font.png").string(), font), 0);
    ASSERT_EQ(font.channels, 4);
    auto inkInCell = [&](int cell) {
        int ink = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                // Decoded rows run bottom-up.
                const size_t row = font.height - 1 - (cell / 16 * 16 + y), at = (row * font.width + cell % 16 * 16 + x) * 4;
                ink += font.pixels[at + 3] > 128 && font.pixels[at] > 128;
            }
        return ink;
    };
    EXPECT_GT(inkInCell('A' - 32), 15);
    EXPECT_EQ(inkInCell(' ' - 32), 0);
}

TEST(ShippedData, ModelsLoadWholeWithATangentFrame)
{
    int models = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/models")) {
        SCOPED_TRACE(entry.path().filename().string());
        ++models;
        // Only the keywords the loader reads, and triangles only (it reads
        // three corners of a polygon).
        int faces = 0;
        for (const std::string& line : Lines(entry.path())) {
            const std::string keyword = FirstWord(line);
            const std::set<std::string> keywords = {"", "v", "vt", "vn", "f"};
            EXPECT_TRUE(keywords.count(keyword) || IsComment(line)) << line;
            if (keyword == "f") {
                ++faces;
                std::istringstream corners(line.substr(2));
                EXPECT_EQ(std::distance(std::istream_iterator<std::string>(corners), std::istream_iterator<std::string>()), 3) << line;
            }
        }
        EXPECT_GT(faces, 50);
        Model model;
        EXPECT_EQ(CaptureStdout([&] { model.LoadObj(entry.path().string()); }), "") << "refused or complained";
        EXPECT_EQ(model.GetTriangleCount(), faces);
        ASSERT_TRUE(model.HasTexCoords());
        EXPECT_TRUE(UnitVectors(model.GetNormals()));
        EXPECT_TRUE(UnitVectors(model.GetTangents()));
        EXPECT_TRUE(UnitVectors(model.GetBitangents()));
        for (float t : model.GetTexCoords())
            EXPECT_TRUE(t >= 0.0f && t <= 1.0f);
        if (entry.path().filename() == "ship.obj") {
            float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
            for (size_t i = 0; i < model.GetPositions().size(); i += 3) {
                minX = std::min(minX, model.GetPositions()[i]), maxX = std::max(maxX, model.GetPositions()[i]);
                minZ = std::min(minZ, model.GetPositions()[i + 2]), maxZ = std::max(maxZ, model.GetPositions()[i + 2]);
            }
            EXPECT_NEAR(maxX - minX, 85.0f, 3.0f) << "about 85 units across";
            EXPECT_GT(maxZ, -minZ) << "nose towards +z";
        }
    }
    EXPECT_GE(models, 7);
}

TEST(ShippedData, LevelFilesAreWellFormedAndNameExistingFiles)
{
    const Level level = ReadLevel();
    EXPECT_GT(level.width, 0);
    EXPECT_LE(level.width, 2500) << "the camera's follow divisor 2500 / width must not be 0";
    EXPECT_GE(level.length, 36000) << "about three minutes at 200 units per second";

    std::map<std::string, int> sizes;  // of each enemy type
    for (const auto& r : Records(level.types, 6)) {
        const std::string name = FirstWord(r[0]);
        EXPECT_FALSE(sizes.count(name)) << "duplicate type " << name;
        EXPECT_TRUE(fs::is_regular_file(kRoot / FirstWord(r[1]))) << r[1];
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data/textures" / FirstWord(r[2]))) << r[2];
        EXPECT_TRUE(fs::is_regular_file(kRoot / FirstWord(r[3]))) << r[3];
        EXPECT_TRUE(ReadsAs(r[4], 1) && ReadsAs(r[5], 1)) << name << ": size and health";
        sizes[name] = std::atoi(r[4].c_str());
    }
    EXPECT_GE(sizes.size(), 4u);
    ASSERT_TRUE(sizes.count("Warden")) << "the boss";
    for (const auto& [name, size] : sizes)
        EXPECT_TRUE(name == "Warden" || sizes["Warden"] > size) << "the boss is the largest, not " << name;

    std::map<std::string, int> placed;
    int lastBossY = 0, furthest = 0;
    for (const auto& r : Records(level.enemies, 3)) {
        const std::string name = FirstWord(r[0]);
        EXPECT_TRUE(sizes.count(name)) << "unknown type " << name;
        EXPECT_TRUE(ReadsAs(r[1], 2) && ReadsAs(r[2], 3)) << name << ": " << r[1] << " / " << r[2];
        int x = 0, y = 0;
        std::istringstream(r[1]) >> x >> y;
        EXPECT_TRUE(y >= 1200 && y < level.length && std::abs(x) <= 500) << name << " placed out of view at " << r[1];
        ++placed[name];
        furthest = std::max(furthest, y);
        lastBossY = name == "Warden" ? y : lastBossY;
    }
    for (const auto& [name, size] : sizes)
        EXPECT_TRUE(name == "Warden" ? placed[name] == 1 : placed[name] > 3) << name << " placed " << placed[name];
    EXPECT_EQ(lastBossY, furthest) << "the boss comes last";

    const auto bullets = Records(level.bullets, 2);
    EXPECT_GE(bullets.size(), 4u);
    for (const auto& r : bullets) {
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data/textures" / FirstWord(r[0]))) << r[0];
        EXPECT_TRUE(ReadsAs(r[1], 2)) << r[1];
    }
}

TEST(ShippedData, HeightmapHasTheTerrainsHeaderAndRelief)
{
    const std::string tga = ReadFile(ReadLevel().heightmap.string());
    ASSERT_GE(tga.size(), 18u);
    EXPECT_EQ(tga.substr(0, 12), std::string("\0\0\3\0\0\0\0\0\0\0\0\0", 12));
    const int width = uint8_t(tga[12]) | (uint8_t(tga[13]) << 8), height = uint8_t(tga[14]) | (uint8_t(tga[15]) << 8);
    EXPECT_EQ(int(uint8_t(tga[16])), 8) << "bits per pixel";
    ASSERT_EQ(tga.size(), 18u + size_t(width) * size_t(height));
    EXPECT_NE(height % 50, 0) << "the last 50-row chunk reads one row past itself";
    EXPECT_GE(height * 23, 36000) << "three minutes of flight";
    EXPECT_GE(width, 100) << "wide enough to fill the view's sides";
    // Along every stretch of 100 rows the ground spans at least 60 grey
    // levels (138 units), and the river bed is there throughout.
    for (int start = 0; start + 100 <= height; start += 100) {
        auto first = tga.begin() + 18 + size_t(start) * width, last = first + 100 * width;
        const int low = uint8_t(*std::min_element(first, last, [](char a, char b) { return uint8_t(a) < uint8_t(b); }));
        const int high = uint8_t(*std::max_element(first, last, [](char a, char b) { return uint8_t(a) < uint8_t(b); }));
        EXPECT_GE(high - low, 60) << "rows " << start << " to " << start + 99;
        EXPECT_LT(low, 17) << "rows " << start << ": no water (below 40 units)";
    }
}

TEST(ShippedData, DataStaysSmall)
{
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "data"))
        total += entry.is_regular_file() ? entry.file_size() : 0;
    EXPECT_LT(total, 5u * 1024 * 1024);
}
