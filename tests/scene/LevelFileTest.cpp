#include <gtest/gtest.h>

#include <string>

#include "core/GlobalInfo.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "scene/Board.h"
#include "scene/LevelFile.h"
#include "scene/World.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/TestFiles.h"

namespace {

TEST(LevelFile, ReadsSizeAndFourPathsAfterLeadingComments)
{
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"plain", "1000 10000\ntypes.txt\nenemies.txt\nbullets.txt\nmap.tga\n"},
        {"several comments", "# Level 1\n#\n# width length\n1000 10000\ntypes.txt\nenemies.txt\nbullets.txt\nmap.tga\n"},
        {"CRLF and blanks around words", "#c\r\n 1000   10000 \r\n  types.txt \r\nenemies.txt\r\nbullets.txt\r\nmap.tga"},
        {"extra words and trailing lines ignored",
         "1000 10000 7\ntypes.txt x\nenemies.txt\nbullets.txt\nmap.tga\nmore\nlines\n"},
    };
    for (const Case& c : cases) {
        LevelFile level;
        std::string error;
        ASSERT_TRUE(LevelFile::Parse(c.text, "L.txt", level, error)) << c.name << ": " << error;
        EXPECT_EQ(level.width, 1000) << c.name;
        EXPECT_EQ(level.length, 10000) << c.name;
        EXPECT_EQ(level.enemyTypesPath, "types.txt") << c.name;
        EXPECT_EQ(level.enemiesPath, "enemies.txt") << c.name;
        EXPECT_EQ(level.bulletTypesPath, "bullets.txt") << c.name;
        EXPECT_EQ(level.heightmapPath, "map.tga") << c.name;
    }
}

TEST(LevelFile, MalformedFilesSayWhatIsWrongAndWhere)
{
    struct Case {
        const char* name;
        std::string text;
        std::string error;
    };
    const std::string sizeError = ": expected the level width and length as two integers";
    const Case cases[] = {
        {"only comments", "# a\n# b\n", "level file L.txt has no size line"},
        {"one number", "1000\na\nb\nc\nd\n", "level file L.txt line 1" + sizeError},
        {"words", "# c\nwide long\na\nb\nc\nd\n", "level file L.txt line 2" + sizeError},
        {"blank first data line", "# c\n\n1000 10000\na\nb\nc\nd\n", "level file L.txt line 2" + sizeError},
        {"number beyond int", "1000 99999999999\na\nb\nc\nd\n", "level file L.txt line 1" + sizeError},
        {"comment between data lines", "1000 10000\n# types\nb\nc\nd\n", ""},
        {"no heightmap line", "1000 10000\na\nb\nc\n", "level file L.txt line 5: missing the heightmap file path"},
        {"blank bullet line", "1000 10000\na\nb\n \t\nd\n",
         "level file L.txt line 4: missing the bullet type file path"},
        {"no path at all", "1000 10000", "level file L.txt line 2: missing the enemy type file path"},
        {"timeline line empty", "1000 10000\na\n\nc\nd\n",
         "level file L.txt line 3: missing the enemy timeline file path"},
    };
    for (const Case& c : cases) {
        LevelFile level;
        std::string error;
        const bool ok = LevelFile::Parse(c.text, "L.txt", level, error);
        if (c.error.empty()) {
            // A "#" line after the first data line is data: here it is taken
            // as the enemy-type path, and the rest shifts by one line.
            EXPECT_TRUE(ok) << c.name;
            EXPECT_EQ(level.enemyTypesPath, "#") << c.name;
            EXPECT_EQ(level.heightmapPath, "d") << c.name;
            continue;
        }
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

class WorldLevel : public ::testing::Test {
protected:
    void SetUp() override { GlobalInfo::Instance().Reset(); }
    void TearDown() override { GlobalInfo::Instance().Reset(); }

    // A level whose sub-files exist; the heightmap is 100 x 101.
    std::string WriteLevel(const std::string& sizeLine, const std::vector<unsigned char>& heightmap)
    {
        dir.Write("types.txt", "");
        dir.Write("enemies.txt", "");
        dir.Write("bullets.txt", "");
        dir.Write("map.tga", heightmap);
        return dir.Write("Level.txt", "# test level\n" + sizeLine + "\n" + dir.Path() + "types.txt\n" + dir.Path() +
                                          "enemies.txt\n" + dir.Path() + "bullets.txt\n" + dir.Path() + "map.tga\n");
    }

    TempDir dir;
};

TEST_F(WorldLevel, BuildsItsChildrenInOrderAndRegistersTheContainers)
{
    World world;
    const auto& children = world.GetChildren();
    ASSERT_EQ(children.size(), 5u);
    EXPECT_EQ(children[0], static_cast<SceneNode*>(world.GetActors()));
    EXPECT_EQ(children[1], static_cast<SceneNode*>(world.GetBullets()));
    EXPECT_EQ(children[3], static_cast<SceneNode*>(world.GetGraphicalEffects()));
    EXPECT_EQ(children[4], static_cast<SceneNode*>(world.GetBoard()));
    for (SceneNode* child : children)
        EXPECT_EQ(child->GetParent(), &world);
    EXPECT_EQ(GlobalInfo::Instance().GetBullets(), world.GetBullets());
    EXPECT_EQ(GlobalInfo::Instance().GetActors(), world.GetActors());
    EXPECT_EQ(GlobalInfo::Instance().GetEffects(), world.GetGraphicalEffects());
}

TEST_F(WorldLevel, LoadsTheLevelSizeAndTheHeightmapLast)
{
    std::string path = WriteLevel("1000 10000", MakeTga(100, 101, [](int, int) { return 0; }));
    World world;
    bool ok = false;
    std::string out = CaptureStdout([&] { ok = world.LoadLevel(path); });
    EXPECT_TRUE(ok) << out;
    EXPECT_EQ(out.rfind("Loading level...\n", 0), 0u) << out;
    const std::string tail = "  Loading heightmap...\n    Loaded 20400-triangle heightmap\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
    EXPECT_EQ(GlobalInfo::Instance().GetLevelWidth(), 1000);
    EXPECT_EQ(GlobalInfo::Instance().GetLevelLength(), 10000);
    EXPECT_EQ(world.GetBoard()->GetChunks().size(), 2u);
}

TEST_F(WorldLevel, FailuresStopTheLoadWithTheirLine)
{
    World world;
    struct Case {
        const char* name;
        std::string path;
        std::string output;
        int width;
    };
    const std::string unreadable = dir.Path() + "missing.txt";
    const std::string malformed = dir.Write("bad.txt", "# only a comment\nten 20\n");
    const std::string empty = dir.Write("empty.txt", "");
    const Case cases[] = {
        {"unopenable", unreadable, "Loading level...\nCouldn't open level file.\n", 0},
        {"size line not two integers", malformed,
         "Loading level...\n  Bad level file " + malformed +
             " line 2: expected the level width and length as two integers\n",
         0},
    };
    for (const Case& c : cases) {
        bool ok = true;
        EXPECT_EQ(CaptureStdout([&] { ok = world.LoadLevel(c.path); }), c.output) << c.name;
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(GlobalInfo::Instance().GetLevelWidth(), c.width) << c.name;
    }

    // An empty file is a level with nothing in it.
    bool ok = false;
    EXPECT_EQ(CaptureStdout([&] { ok = world.LoadLevel(empty); }), "Loading level...\n");
    EXPECT_TRUE(ok);

    // A broken heightmap fails the load after the size was taken.
    std::string path = WriteLevel("500 2000", TgaHeader(2, 2, 2));
    std::string out = CaptureStdout([&] { ok = world.LoadLevel(path); });
    EXPECT_FALSE(ok);
    const std::string tail = "  Loading heightmap...\n  Failed to load heightmap.\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(GlobalInfo::Instance().GetLevelWidth(), 500);
    EXPECT_TRUE(world.GetBoard()->GetChunks().empty());
}

}  // namespace
