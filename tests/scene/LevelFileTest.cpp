#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/GlobalInfo.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/LevelFile.h"
#include "scene/World.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/TestFiles.h"

namespace {

// The size and four paths after leading comments, or what is wrong and where.
TEST(LevelFile, ReadsSizeAndFourPathsOrSaysWhatIsWrongAndWhere)
{
    const std::string plain = "1000 10000 types.txt enemies.txt bullets.txt map.tga";
    const std::string size = ": expected the level width and length as two integers";
    const std::pair<std::string, std::string> cases[] = {
        {"# Level 1\n#\n# w l\n1000 10000\ntypes.txt\nenemies.txt\nbullets.txt\nmap.tga\nmore\n", plain},
        {"#c\r\n 1000   10000 7\r\n  types.txt x\r\nenemies.txt\r\nbullets.txt\r\nmap.tga", plain},
        {"1000 10000\n# types\nb\nc\nd\n", "1000 10000 # b c d"},  // a "#" line after the first data line is data
        {"# a\n# b\n", "level file L.txt has no size line"},
        {"1000\na\nb\nc\nd\n", "level file L.txt line 1" + size},
        {"1000 99999999999\na\nb\nc\nd\n", "level file L.txt line 1" + size},
        {"# c\n\n1000 10000\na\nb\nc\nd\n", "level file L.txt line 2" + size},
        {"1000 10000\na\nb\nc\n", "level file L.txt line 5: missing the heightmap file path"},
        {"1000 10000\na\nb\n \t\nd\n", "level file L.txt line 4: missing the bullet type file path"},
        {"1000 10000", "level file L.txt line 2: missing the enemy type file path"},
        {"1000 10000\na\n\nc\nd\n", "level file L.txt line 3: missing the enemy timeline file path"},
    };
    for (const auto& [text, expected] : cases) {
        LevelFile level;
        std::string error;
        const bool ok = LevelFile::Parse(text, "L.txt", level, error);
        EXPECT_EQ(ok ? std::to_string(level.width) + " " + std::to_string(level.length) + " " + level.enemyTypesPath +
                           " " + level.enemiesPath + " " + level.bulletTypesPath + " " + level.heightmapPath + level.warning
                     : error,
                  expected)
            << text;
    }
}

// A level `name`.txt whose sub-files exist (empty), with heightmap `name`.tga.
std::string WriteLevel(TempDir& dir, const std::string& name, const std::string& sizeLine,
                       const std::vector<unsigned char>& map)
{
    std::string text = "# test level\n" + sizeLine + "\n";
    for (const char* file : {"types.txt", "enemies.txt", "bullets.txt"})
        text += dir.Write(file, "") + "\n";
    return dir.Write(name + ".txt", text + dir.Write(name + ".tga", map) + "\n");
}

// The children in update and draw order (that they are registered for the
// scripts: ShippedLevelTest's trace); the level size is taken, the heightmap
// loads last, or the load stops with the line that says why.
TEST(WorldLevel, BuildsItsChildrenThenLoadsTheSizeAndTheHeightmapOrStopsWithTheFailuresLine)
{
    GlobalInfo::Instance().Reset();
    {
        World world;
        EXPECT_EQ(world.GetChildren(), (std::vector<SceneNode*>{world.GetActors(), world.GetBullets(), world.GetChildren()[2],
                                                               world.GetGraphicalEffects(), world.GetBoard()}));
    }
    TempDir dir;
    const std::string malformed = dir.Write("bad.txt", "# only a comment\nten 20\n");
    const std::string gone = WriteLevel(dir, "gone", "1000 10000", {});
    std::remove((dir.Path() + "gone.tga").c_str());
    const struct {
        std::string path, tail;  // the end of the output
        bool ok;
        int width;
        size_t chunks;
    } cases[] = {
        {WriteLevel(dir, "good", "1000 10000", MakeTga(100, 101, [](int, int) { return 0; })),
         "  Loading heightmap...\n    Loaded 20400-triangle heightmap\n", true, 1000, 2},
        {dir.Path() + "missing.txt", "Loading level...\nCouldn't open level file.\n  " + dir.Path() +
         "missing.txt: cannot be opened: No such file or directory\n", false, 0, 0},
        {malformed, "Loading level...\n  Bad level file " + malformed +
         " line 2: expected the level width and length as two integers\n", false, 0, 0},
        {dir.Write("empty.txt", ""), "Loading level...\n", true, 0, 0},  // nothing in it
        {WriteLevel(dir, "short", "1000 10000", MakeTga(100, 49, [](int, int) { return 0; })),
         "  Loading heightmap...\n    Loaded 0-triangle heightmap\n", true, 1000, 0},  // less than a chunk
        {WriteLevel(dir, "cut", "1000 10000", TgaHeader(100, 101)),
         "  Failed to load heightmap.\n  " + dir.Path() + "cut.tga: ends after 0 of its 10100 pixels\n", false, 1000, 0},
        {gone,
         "  Failed to load heightmap.\n  " + dir.Path() + "gone.tga: cannot be opened: No such file or directory\n", false, 1000, 0},
        // A broken heightmap fails the load after the size was taken.
        {WriteLevel(dir, "broken", "500 2000", TgaHeader(2, 2, 2)), "  Failed to load heightmap.\n  " + dir.Path() +
         "broken.tga: is not an uncompressed 8-bit greyscale TGA image (type 3, no colour map, no identification field)\n",
         false, 500, 0},
    };
    for (const auto& c : cases) {
        GlobalInfo::Instance().Reset();
        World world;
        // Terrain from before: a heightmap that fails to load leaves none.
        if (c.tail.find("heightmap") != std::string::npos)
            CaptureStdout([&] { world.GetBoard()->LoadHeightmap(dir.Write("old.tga", MakeTga(10, 60, [](int, int) { return 0; }))); });
        bool ok = !c.ok;
        const std::string out = CaptureStdout([&] { ok = world.LoadLevel(c.path); });
        EXPECT_EQ(ok, c.ok) << c.path;
        ASSERT_TRUE(out.rfind("Loading level...\n", 0) == 0 && out.size() >= c.tail.size()) << out;
        EXPECT_EQ(out.substr(out.size() - c.tail.size()), c.tail) << c.path;
        EXPECT_EQ(GlobalInfo::Instance().GetLevelWidth(), c.width) << c.path;
        EXPECT_EQ(world.GetBoard()->GetChunks().size(), c.chunks) << c.path;
        for (const auto& chunk : world.GetBoard()->GetChunks())
            EXPECT_EQ(chunk->GetShaderParameters(), world.GetBoard()->GetGroundParameters()) << "chunks share the ground uniforms";
    }
    GlobalInfo::Instance().Reset();
}

}  // namespace
