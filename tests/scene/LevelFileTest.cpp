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
    const std::string plain = "1000 10000 types.txt enemies.txt bullets.txt map.tga";
    const struct {
        const char* name;
        std::string text, read;
    } cases[] = {
        {"plain", "1000 10000\ntypes.txt\nenemies.txt\nbullets.txt\nmap.tga\n", plain},
        {"several comments", "# Level 1\n#\n# w l\n1000 10000\ntypes.txt\nenemies.txt\nbullets.txt\nmap.tga\n", plain},
        {"CRLF and blanks around words", "#c\r\n 1000   10000 \r\n  types.txt \r\nenemies.txt\r\nbullets.txt\r\nmap.tga",
         plain},
        {"extra words and trailing lines ignored",
         "1000 10000 7\ntypes.txt x\nenemies.txt\nbullets.txt\nmap.tga\nmore\nlines\n", plain},
        // A "#" line after the first data line is data.
        {"comment between data lines", "1000 10000\n# types\nb\nc\nd\n", "1000 10000 # b c d"},
    };
    for (const auto& c : cases) {
        LevelFile level;
        std::string error;
        ASSERT_TRUE(LevelFile::Parse(c.text, "L.txt", level, error)) << c.name << ": " << error;
        EXPECT_EQ(std::to_string(level.width) + " " + std::to_string(level.length) + " " + level.enemyTypesPath + " " +
                      level.enemiesPath + " " + level.bulletTypesPath + " " + level.heightmapPath,
                  c.read)
            << c.name;
    }
}

TEST(LevelFile, MalformedFilesSayWhatIsWrongAndWhere)
{
    const std::string size = ": expected the level width and length as two integers";
    const std::pair<std::string, std::string> cases[] = {
        {"# a\n# b\n", "level file L.txt has no size line"},
        {"1000\na\nb\nc\nd\n", "level file L.txt line 1" + size},
        {"# c\nwide long\na\nb\nc\nd\n", "level file L.txt line 2" + size},
        {"# c\n\n1000 10000\na\nb\nc\nd\n", "level file L.txt line 2" + size},
        {"1000 99999999999\na\nb\nc\nd\n", "level file L.txt line 1" + size},
        {"1000 10000\na\nb\nc\n", "level file L.txt line 5: missing the heightmap file path"},
        {"1000 10000\na\nb\n \t\nd\n", "level file L.txt line 4: missing the bullet type file path"},
        {"1000 10000", "level file L.txt line 2: missing the enemy type file path"},
        {"1000 10000\na\n\nc\nd\n", "level file L.txt line 3: missing the enemy timeline file path"},
    };
    for (const auto& [text, expected] : cases) {
        LevelFile level;
        std::string error;
        EXPECT_FALSE(LevelFile::Parse(text, "L.txt", level, error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
}

class WorldLevel : public ::testing::Test {
protected:
    void SetUp() override { GlobalInfo::Instance().Reset(); }
    void TearDown() override { GlobalInfo::Instance().Reset(); }

    // A level `name`.txt whose sub-files exist, with heightmap `name`.tga.
    std::string WriteLevel(const std::string& name, const std::string& sizeLine, const std::vector<unsigned char>& map)
    {
        std::string text = "# test level\n" + sizeLine + "\n";
        for (const char* file : {"types.txt", "enemies.txt", "bullets.txt"})
            text += dir.Write(file, "") + "\n";
        return dir.Write(name + ".txt", text + dir.Write(name + ".tga", map) + "\n");
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

TEST_F(WorldLevel, LoadsTheLevelSizeAndTheHeightmapLastOrStopsWithTheFailuresLine)
{
    const std::string loaded = "  Loading heightmap...\n    Loaded 20400-triangle heightmap\n";
    const std::string malformed = dir.Write("bad.txt", "# only a comment\nten 20\n");
    const struct {
        const char* name;
        std::string path;
        bool ok;
        std::string tail;  // the whole output after "Loading level...\n" unless `partial`
        bool partial;
        int width;
        size_t chunks;
    } cases[] = {
        {"100 x 101 heightmap", WriteLevel("good", "1000 10000", MakeTga(100, 101, [](int, int) { return 0; })), true, loaded,
         true, 1000, 2},
        {"unopenable", dir.Path() + "missing.txt", false,
         "Couldn't open level file.\n  " + dir.Path() + "missing.txt: cannot be opened: No such file or directory\n",
         false, 0, 0},
        {"size line not two integers", malformed, false,
         "  Bad level file " + malformed + " line 2: expected the level width and length as two integers\n", false, 0,
         0},
        {"empty file: nothing in it", dir.Write("empty.txt", ""), true, "", false, 0, 0},
        // A broken heightmap fails the load after the size was taken.
        {"broken heightmap", WriteLevel("broken", "500 2000", TgaHeader(2, 2, 2)), false,
         "  Loading heightmap...\n  Failed to load heightmap.\n  " + dir.Path() +
             "broken.tga: is not an uncompressed 8-bit greyscale TGA image (type 3, no colour map, no identification field)\n",
         true, 500, 0},
    };
    for (const auto& c : cases) {
        GlobalInfo::Instance().Reset();
        World world;
        bool ok = !c.ok;
        std::string out = CaptureStdout([&] { ok = world.LoadLevel(c.path); });
        EXPECT_EQ(ok, c.ok) << c.name;
        ASSERT_EQ(out.rfind("Loading level...\n", 0), 0u) << c.name << ": " << out;
        ASSERT_GE(out.size(), c.tail.size()) << c.name;
        EXPECT_EQ(out.substr(c.partial ? out.size() - c.tail.size() : 17), c.tail) << c.name;
        EXPECT_EQ(GlobalInfo::Instance().GetLevelWidth(), c.width) << c.name;
        EXPECT_EQ(world.GetBoard()->GetChunks().size(), c.chunks) << c.name;
    }
    EXPECT_EQ(GlobalInfo::Instance().GetLevelLength(), 2000);
}

}  // namespace
