// A modder's common mistakes in a small but complete data directory, each
// against the line it must print (file, line, what is wrong) and the number
// of problems counted, and the game running frames afterwards. The mistakes
// and their lines are in LoadProblems.txt.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

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

// A mistake: `from` replaced by `to` in `file`; the output it must print, the
// problems counted and the enemies left after two seconds, in which each
// enemy moves down 960 units and stays active.
struct Case {
    std::string file, from, to, output;
    int problems = 0;
    size_t enemies = 0;
};

std::string Unescape(std::string text)
{
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, "\n");
    return text;
}

// The blocks of LoadProblems.txt, as its header describes them.
std::vector<Case> ReadCases(const std::string& path)
{
    std::istringstream in(ReadFile(path));
    std::vector<Case> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 3)
            fields.push_back(line.substr(start, (bar = line.find(" | ", start)) - start));
        EXPECT_EQ(5u, fields.size()) << line;
        fields.resize(5, "0");
        Case c{fields[0], Unescape(fields[1]), Unescape(fields[2]), "", std::stoi(fields[3]),
               static_cast<size_t>(std::stoi(fields[4]))};
        while (std::getline(in, line) && !line.empty())
            c.output += line + "\n";
        cases.push_back(c);
    }
    EXPECT_GT(cases.size(), 10u) << path;
    return cases;
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

    for (const Case& c : ReadCases(std::string(VANTREL_SOURCE_DIR) + "/tests/game/LoadProblems.txt")) {
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
        EXPECT_NE(out.find(c.output), std::string::npos) << c.file << ": " << c.to << "\n" << out;
        EXPECT_EQ(Problems::Count(), c.problems) << c.file << ": " << c.to << "\n" << out;
        EXPECT_EQ(enemies, c.enemies) << c.file << ": " << c.to << "\n" << out;
        // A type's problems come before its "Loaded" line.
        if (c.file == "data/levels/types.txt" && c.problems > 0) {
            EXPECT_LT(out.find(c.output), out.find("    Loaded Grunt\n")) << out;
        }
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
