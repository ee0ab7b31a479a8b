// A modder's common mistakes in a small but complete data directory, each
// against the line it must print (file, line, what is wrong) and the number
// of problems counted, and the game running frames afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "game/Actors.h"
#include "game/Assets.h"
#include "render/Texture.h"
#include "render/png/Png.h"
#include "scene/World.h"
#include "script/ScriptManager.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 0 1\nf 1 2 3\n";
const char* const kWeapon = "return { Update = function(level, dt, a, b, c) return a, b, c end }\n";
const char* const kEnemy = "return { Update = function(x, y, dt, a, b, c, t) return x, y - dt / 2, a, b, c end }\n";

// The files of a one-type level, relative to the game's working directory.
std::map<std::string, std::string> GoodData()
{
    return {
        {"data/models/ship.obj", kTriangle},
        {"data/models/shield.obj", kTriangle},
        {"data/models/grunt.obj", kTriangle},
        {"data/scripts/weapons/vulcan-primary.lua", kWeapon},
        {"data/scripts/weapons/vulcan-secondary.lua", kWeapon},
        {"data/scripts/enemies/grunt.lua", kEnemy},
        {"data/scripts/main.lua", ReadFile(std::string(VANTREL_SOURCE_DIR) + "/data/scripts/main.lua")},
        {"data/levels/L.txt",
         "1000 5000\ndata/levels/types.txt\ndata/levels/enemies.txt\ndata/levels/bullets.txt\n"
         "data/levels/height.tga\n"},
        {"data/levels/types.txt", "Grunt\ndata/models/grunt.obj\ngrunt.png\ndata/scripts/enemies/grunt.lua\n40\n10\n"},
        {"data/levels/enemies.txt", "Grunt\n400 300\n0 0 0\nGrunt\n450 300\n0 0 0\n"},
        {"data/levels/bullets.txt", "shot.png\n4 5\n"},
    };
}

TEST(LoadProblems, EachMistakeNamesFileLineAndWhatIsWrongAndTheGameGoesOn)
{
    // The game inside a scratch directory; textures other than these three are missing.
    TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    Texture standIn;
    Assets::Source source;
    source.getTexture = [&](const std::string& name) -> Texture* {
        return name == "ship.png" || name == "grunt.png" || name == "shot.png" ? &standIn : nullptr;
    };
    source.getShader = [](const std::string&) -> Shader* { return nullptr; };
    Assets::SetSource(source);
    const std::vector<unsigned char> map = MakeTga(8, 60, [](int, int) { return 0; });

    const struct {
        const char* file;
        std::string from, to;  // the mistake: `from` replaced by `to` in `file`
        const char* line;      // one line of the output, in full
        int problems;
        size_t enemies;  // after two seconds, in which each enemy moves down 960 units and stays active
    } cases[] = {
        {"data/levels/enemies.txt", "", "", "    Loaded Grunt\n", 0, 2},
        {"data/levels/enemies.txt", "400 300", "4O0 300",
         "    data/levels/enemies.txt:2: x \"4O0\" has characters after its digits; the line reads as 4 0\n", 1, 2},
        {"data/levels/enemies.txt", "Grunt\n400", "Grunnt\n400",
         "    data/levels/enemies.txt:1: no enemy type is named \"Grunnt\"; the line is skipped\n", 1, 1},
        {"data/models/grunt.obj", "f 1 2 3", "f 1 2 4",
         "    data/levels/types.txt:2: model data/models/grunt.obj was refused (see above); enemies of type Grunt "
         "are invisible\n", 2, 2},
        {"data/levels/types.txt", "grunt.png", "grunt.jpg",
         "    data/levels/types.txt:3: texture \"grunt.jpg\" is not loaded (it must be a file in data/textures/)\n", 1,
         2},
        {"data/scripts/enemies/grunt.lua", "return {", "return {{",
         "    data/levels/types.txt:4: script data/scripts/enemies/grunt.lua failed to load (EnemyLoadScript "
         "returned the handle 0)\n", 2, 2},
        {"data/levels/types.txt", "\n40\n", "\n4O\n",
         "    data/levels/types.txt:5: size \"4O\" has characters after its digits; it reads as 4\n", 1, 2},
        // A '#' line inside a record is data; a record the file cuts short is dropped.
        {"data/levels/types.txt", "data/models/grunt.obj", "# model",
         "    data/levels/types.txt:2: model # cannot be opened; enemies of type Grunt are invisible\n", 1, 2},
        {"data/levels/types.txt", "\n40\n10\n", "\n40\n",  // and the timeline names an unknown type twice
         "    data/levels/types.txt:1: the file ends inside this record; the record is dropped\n", 3, 0},
        {"data/levels/enemies.txt", "450 300\n0 0 0\n", "450 300\n",
         "    data/levels/enemies.txt:4: the file ends inside this record; the record is dropped\n", 1, 1},
        {"data/levels/enemies.txt", "450 300\n0 0 0\n", "450 300\n0 0 0", "    Loaded 2 enemies\n", 0, 2},  // no final newline
        {"data/levels/bullets.txt", "4 5\n", "# 4 5\n",
         "    data/levels/bullets.txt:2: size \"#\" is not a number; the line reads as 0 0\n", 1, 2},
        {"data/levels/bullets.txt", "4 5\n", "4 5\nshot.png\n",
         "    data/levels/bullets.txt:3: the file ends inside this record; the record is dropped\n", 1, 2},
        {"data/levels/L.txt", "types.txt", "typos.txt",
         "  Couldn't open EnemyType file.\n  data/levels/typos.txt: cannot be opened: No such file or directory\n", 1,
         0},
        {"data/levels/L.txt", "enemies.txt", "enemis.txt",
         "  Couldn't open Enemy file.\n  data/levels/enemis.txt: cannot be opened: No such file or directory\n", 1, 0},
        {"data/levels/L.txt", "bullets.txt", "bulets.txt",
         "  Couldn't open BulletType file.\n  data/levels/bulets.txt: cannot be opened: No such file or directory\n",
         1, 2},
        {"data/levels/L.txt", "5000", "5000x",
         "  Bad level file data/levels/L.txt line 1: length \"5000x\" has characters after its digits; it reads as "
         "5000\n", 1, 2},
    };
    for (const auto& c : cases) {
        std::map<std::string, std::string> files = GoodData();
        std::string& text = files[c.file];
        if (!c.from.empty()) {
            ASSERT_NE(text.find(c.from), std::string::npos) << c.from;
            text.replace(text.find(c.from), c.from.size(), c.to);
        }
        std::filesystem::remove_all("data");
        for (const auto& [path, text] : files)
            dir.Write(path, text);
        dir.Write("data/levels/height.tga", map);
        // Loads the level with a fresh interpreter and world and plays two seconds.
        GlobalInfo::Instance().Reset();
        size_t enemies = 0;
        ::testing::internal::CaptureStderr();
        std::string out = CaptureStdout([&] {
            ScriptManager scripts;
            ScriptManager::SetInstanceForTesting(&scripts);
            World world;
            Problems::Reset();  // the board's own textures are looked up outside the asset seam
            world.LoadLevel("data/levels/L.txt");
            for (int frame = 0; frame < 120; ++frame) {
                scripts.Update(16);
                world.UpdateTree(16);
            }
            enemies = world.GetActors()->GetEnemies().size();
            ScriptManager::SetInstanceForTesting(nullptr);
        });
        out += ::testing::internal::GetCapturedStderr();
        EXPECT_NE(out.find(c.line), std::string::npos) << c.to << "\n" << out;
        EXPECT_EQ(Problems::Count(), c.problems) << c.to << "\n" << out;
        EXPECT_EQ(enemies, c.enemies) << c.to << "\n" << out;
        // A type's problems come before its "Loaded" line.
        if (c.file == std::string("data/levels/types.txt") && c.problems > 0)
            EXPECT_LT(out.find(c.line), out.find("    Loaded Grunt\n")) << out;
    }
    GlobalInfo::Instance().Reset();
    Assets::SetSource({});
    Problems::Reset();
    std::filesystem::current_path(previous);
}

// The texture loader's meaning of a PNG it cannot read, as the console shows it
// (the other codes: PngTest).
TEST(TextureProblems, PngResultCodesComeWithTheirMeaning)
{
    TempDir dir;
    PngWriteOptions palette;
    palette.colorType = 3;
    TextureImage image;
    std::string why;
    EXPECT_EQ(Texture::Decode(dir.Write("palette.png", WritePng(palette, {0})), image, &why), PNG_NOT_SUPPORTED);
    EXPECT_EQ(why, "palette images are not supported: save as RGB or RGBA");
}

}  // namespace
