// The data files the game ships, checked against the formats its loaders read:
// every texture and shader name the game looks up exists; textures are 8-bit
// RGB or RGBA PNGs that are not interlaced; models use only the OBJ subset the
// loader understands; the level file, the enemy types, the timeline and the
// bullet types are well-formed records that name existing files; the
// heightmap has the TGA header the terrain expects and a height that is not
// a multiple of the 50-row chunk length. And data/ stays small.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

std::string Bytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string FirstWord(const std::string& line)
{
    std::istringstream in(line);
    std::string word;
    in >> word;
    return word;
}

// Records of `size` lines, with '#' lines allowed only before each record.
std::vector<std::vector<std::string>> Records(const fs::path& path, size_t size)
{
    std::vector<std::string> lines = Lines(path);
    std::vector<std::vector<std::string>> records;
    size_t i = 0;
    while (i < lines.size()) {
        while (i < lines.size() && !lines[i].empty() && lines[i][0] == '#')
            ++i;
        if (i >= lines.size())
            break;
        EXPECT_LE(i + size, lines.size()) << path << ": a record ends early at line " << i + 1;
        std::vector<std::string> record;
        for (size_t k = 0; k < size && i < lines.size(); ++k, ++i) {
            EXPECT_FALSE(!lines[i].empty() && lines[i][0] == '#') << path << ":" << i + 1 << ": comment inside a record";
            record.push_back(lines[i]);
        }
        records.push_back(record);
    }
    return records;
}

bool ReadsAs(const std::string& line, int count)
{
    std::istringstream in(line);
    for (int i = 0; i < count; ++i) {
        long value = 0;
        if (!(in >> value))
            return false;
    }
    return true;
}

uint32_t BigEndian32(const std::string& s, size_t at)
{
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
           (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

struct Level {
    int width = 0, length = 0;
    fs::path types, enemies, bullets, heightmap;
};

Level ReadLevel()
{
    std::vector<std::string> lines = Lines(kRoot / "data/levels/Level1.txt");
    size_t i = 0;
    while (i < lines.size() && !lines[i].empty() && lines[i][0] == '#')
        ++i;
    Level level;
    EXPECT_GE(lines.size(), i + 5) << "size line and four paths";
    if (lines.size() < i + 5)
        return level;
    std::istringstream size(lines[i]);
    EXPECT_TRUE(size >> level.width >> level.length) << lines[i];
    level.types = kRoot / FirstWord(lines[i + 1]);
    level.enemies = kRoot / FirstWord(lines[i + 2]);
    level.bullets = kRoot / FirstWord(lines[i + 3]);
    level.heightmap = kRoot / FirstWord(lines[i + 4]);
    return level;
}

}  // namespace

TEST(ShippedData, TexturesAreEightBitTruecolourPngs)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(kRoot / "data/textures")) {
        if (entry.path().extension() != ".png")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++count;
        const std::string png = Bytes(entry.path());
        ASSERT_GE(png.size(), 33u);
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(png.substr(12, 4), "IHDR");
        const uint32_t width = BigEndian32(png, 16), height = BigEndian32(png, 20);
        EXPECT_GE(width, 16u);
        EXPECT_LE(width, 256u);
        EXPECT_GE(height, 16u);
        EXPECT_LE(height, 256u);
        EXPECT_EQ(int(uint8_t(png[24])), 8) << "bit depth";
        const int colourType = uint8_t(png[25]);
        EXPECT_TRUE(colourType == 2 || colourType == 6) << "colour type " << colourType << ": RGB or RGBA only";
        EXPECT_EQ(int(uint8_t(png[28])), 0) << "interlaced";
    }
    EXPECT_GT(count, 10);
}

TEST(ShippedData, EveryNameTheGameLooksUpExists)
{
    for (const char* texture : {"font.png", "ship.png", "gui-meters.png", "gui-corner.png", "explosion.png",
                                "shockwave.png", "bg.png", "fg.png", "gui-bars.png"})
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data/textures" / texture)) << texture;
    for (const char* shader : {"player.shdr", "shield.shdr", "enemy.shdr", "ground.shdr", "bloom.shdr",
                               "blurx.shdr", "blury.shdr", "distort.shdr"})
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data/shaders" / shader)) << shader;
    for (const char* file : {"data/models/ship.obj", "data/models/shield.obj", "data/scripts/main.lua",
                             "data/scripts/weapons/vulcan-primary.lua", "data/scripts/weapons/vulcan-secondary.lua",
                             "data/levels/Level1.txt"})
        EXPECT_TRUE(fs::is_regular_file(kRoot / file)) << file;
    // The font's licence travels with it.
    EXPECT_NE(Bytes(kRoot / "data/textures/font-licence.txt").find("Bitstream"), std::string::npos);
}

TEST(ShippedData, ModelsUseOnlyTheObjSubsetTheLoaderReads)
{
    for (const auto& entry : fs::directory_iterator(kRoot / "data/models")) {
        SCOPED_TRACE(entry.path().filename().string());
        size_t positions = 0, texcoords = 0, normals = 0, faces = 0;
        bool seenFace = false;
        float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
        int lineNumber = 0;
        for (const std::string& line : Lines(entry.path())) {
            ++lineNumber;
            if (line.empty() || line[0] == '#')
                continue;
            const std::string keyword = line.substr(0, line.find(' '));
            ASSERT_NE(line.find(' '), std::string::npos) << "line " << lineNumber;
            EXPECT_NE(line[keyword.size() + 1], ' ') << "line " << lineNumber << ": one space after the keyword";
            std::istringstream in(line.substr(keyword.size() + 1));
            if (keyword == "v") {
                EXPECT_FALSE(seenFace) << "line " << lineNumber << ": v after the first f";
                float x = 0, y = 0, z = 0;
                EXPECT_TRUE(in >> x >> y >> z) << "line " << lineNumber;
                minX = std::min(minX, x), maxX = std::max(maxX, x), minZ = std::min(minZ, z), maxZ = std::max(maxZ, z);
                ++positions;
            } else if (keyword == "vt") {
                float u = 0, v = 0;
                EXPECT_TRUE(in >> u >> v) << "line " << lineNumber;
                EXPECT_TRUE(u >= 0 && u <= 1 && v >= 0 && v <= 1) << "line " << lineNumber;
                ++texcoords;
            } else if (keyword == "vn") {
                ++normals;
            } else if (keyword == "f") {
                seenFace = true;
                ++faces;
                std::string corner;
                int corners = 0;
                while (in >> corner) {
                    ++corners;
                    long p = 0, t = 0, n = 0;
                    char slash1 = 0, slash2 = 0;
                    std::istringstream c(corner);
                    ASSERT_TRUE(c >> p >> slash1 >> t >> slash2 >> n) << "line " << lineNumber << ": v/vt/vn corners";
                    EXPECT_TRUE(p >= 1 && size_t(p) <= positions) << "line " << lineNumber;
                    EXPECT_TRUE(t >= 1 && size_t(t) <= texcoords) << "line " << lineNumber;
                    EXPECT_TRUE(n >= 1 && size_t(n) <= normals) << "line " << lineNumber;
                }
                EXPECT_EQ(corners, 3) << "line " << lineNumber << ": triangles only";
            } else {
                ADD_FAILURE() << "line " << lineNumber << ": keyword '" << keyword << "'";
            }
        }
        EXPECT_GT(faces, 50u);
        if (entry.path().filename() == "ship.obj") {
            EXPECT_NEAR(maxX - minX, 85.0f, 3.0f) << "about 85 units across";
            EXPECT_GT(maxZ, -minZ) << "nose towards +z";
        }
    }
}

TEST(ShippedData, LevelFilesAreWellFormedAndNameExistingFiles)
{
    const Level level = ReadLevel();
    EXPECT_GT(level.width, 0);
    EXPECT_LE(level.width, 2500) << "the camera's follow divisor 2500 / width must not be 0";
    EXPECT_GE(level.length, 36000) << "about three minutes at 200 units per second";

    std::set<std::string> typeNames;
    std::map<std::string, int> sizes;
    for (const auto& r : Records(level.types, 6)) {
        const std::string name = FirstWord(r[0]);
        SCOPED_TRACE(name);
        EXPECT_TRUE(typeNames.insert(name).second) << "duplicate type";
        EXPECT_TRUE(fs::is_regular_file(kRoot / FirstWord(r[1]))) << r[1];
        EXPECT_TRUE(fs::is_regular_file(kRoot / "data/textures" / FirstWord(r[2]))) << r[2];
        EXPECT_TRUE(fs::is_regular_file(kRoot / FirstWord(r[3]))) << r[3];
        EXPECT_TRUE(ReadsAs(r[4], 1) && ReadsAs(r[5], 1)) << "size and health";
        sizes[name] = std::stoi(r[4]);
    }
    EXPECT_GE(typeNames.size(), 4u);
    ASSERT_TRUE(sizes.count("Warden")) << "the boss";
    for (const auto& [name, size] : sizes)
        if (name != "Warden")
            EXPECT_GT(sizes["Warden"], size) << "the boss is the largest";

    std::map<std::string, int> placed;
    int lastBossY = 0, furthest = 0;
    for (const auto& r : Records(level.enemies, 3)) {
        const std::string name = FirstWord(r[0]);
        EXPECT_TRUE(typeNames.count(name)) << "unknown type " << name;
        EXPECT_TRUE(ReadsAs(r[1], 2)) << r[1];
        EXPECT_TRUE(ReadsAs(r[2], 3)) << r[2];
        int x = 0, y = 0;
        std::istringstream(r[1]) >> x >> y;
        EXPECT_GE(y, 1200) << name << " placed where the view starts";
        EXPECT_LT(y, level.length) << name << " placed past the end of the level";
        EXPECT_LE(std::abs(x), 500) << name << " placed off the side of the view";
        ++placed[name];
        furthest = std::max(furthest, y);
        if (name == "Warden")
            lastBossY = y;
    }
    for (const std::string& name : typeNames)
        if (name != "Warden")
            EXPECT_GT(placed[name], 3) << name;
    EXPECT_EQ(placed["Warden"], 1);
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
    const std::string tga = Bytes(ReadLevel().heightmap);
    ASSERT_GE(tga.size(), 18u);
    EXPECT_EQ(tga.substr(0, 12), std::string("\0\0\3\0\0\0\0\0\0\0\0\0", 12));
    const int width = uint8_t(tga[12]) | (uint8_t(tga[13]) << 8);
    const int height = uint8_t(tga[14]) | (uint8_t(tga[15]) << 8);
    EXPECT_EQ(int(uint8_t(tga[16])), 8) << "bits per pixel";
    ASSERT_EQ(tga.size(), 18u + size_t(width) * size_t(height));
    EXPECT_NE(height % 50, 0) << "the last 50-row chunk reads one row past itself";
    EXPECT_GE(height * 23, 36000) << "three minutes of flight";
    EXPECT_GE(width, 100) << "wide enough to fill the view's sides";

    // Relief: along every stretch of 100 rows the ground spans at least 60
    // grey levels (138 units), and the river bed is there throughout.
    for (int start = 0; start + 100 <= height; start += 100) {
        int low = 255, high = 0;
        for (int row = start; row < start + 100; ++row)
            for (int x = 0; x < width; ++x) {
                const int v = uint8_t(tga[18 + size_t(row) * width + x]);
                low = std::min(low, v);
                high = std::max(high, v);
            }
        EXPECT_GE(high - low, 60) << "rows " << start << " to " << start + 99;
        EXPECT_LT(low, 17) << "rows " << start << ": no water (below 40 units)";
    }
}

TEST(ShippedData, DataStaysSmall)
{
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / "data"))
        if (entry.is_regular_file())
            total += entry.file_size();
    EXPECT_LT(total, 5u * 1024 * 1024);
}
