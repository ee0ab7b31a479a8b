// The data and scripts the game ships. The whole of Level 1 through
// vantrel-check's own run (the game's loaders, step and autopilot): nothing
// fails to load, no script raises an error, the level plays to its boss.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/LevelCheck.h"
#include "core/Loading.h"
#include "core/Problems.h"
#include "core/Simulation.h"
#include "core/System.h"
#include "game/Assets.h"
#include "render/Model.h"
#include "render/ShaderManager.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "script/ScriptManager.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
const fs::path kRoot = VANTREL_SOURCE_DIR;

// The game reads data/ relative to its working directory.
struct InSourceDirectory {
    InSourceDirectory() { fs::current_path(kRoot); }
    ~InSourceDirectory() { fs::current_path(previous); }
    fs::path previous = fs::current_path();
};

TEST(ShippedLevel, EndsWithLevelClearOrShipDestroyedWithoutAProblem)
{
    InSourceDirectory here;
    struct Case { int weaponLevel; bool steer; const char* message; };
    for (const Case& c : {Case{10, true, "Level clear"}, Case{1, false, "Ship destroyed"}}) {
        Problems::Reset();
        ScriptManager scripts;  // "data/scripts/main.lua"
        ScriptManager::SetInstanceForTesting(&scripts);
        srand(1);
        Simulation simulation;
        LevelCheck::Options options;
        options.weaponLevel = c.weaponLevel, options.steer = c.steer;
        LevelCheck check(options);
        ::testing::internal::CaptureStderr();
        CaptureStdout([&] { Loading::StartWithoutWindow(simulation, false); });
        check.Play(simulation);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        const std::string report = CaptureStdout([&] { check.PrintReport(); });
        const LevelCheck::Outcome& outcome = check.GetOutcome();

        EXPECT_TRUE(check.Passed()) << report << errors;
        EXPECT_TRUE(outcome.ended && outcome.message == c.message) << report;
        EXPECT_NE(std::string::npos, report.find(std::string("Run ended: \"") + c.message + "\" at ")) << report;
        // The picture holds two seconds after the end, and before the terrain runs out.
        EXPECT_NEAR(outcome.time + RunState::kEndingTime, check.GetPlayedTime(), 2 * LevelCheck::kStep) << report;
        EXPECT_LT(check.GetPlayedTime(), 210000) << report;
        const auto& counts = check.GetTypeCounts();
        int killed = 0, placed = 0;
        for (const auto& [name, count] : counts) {
            killed += count.killed, placed += count.placed;
            EXPECT_TRUE(!c.steer || count.placed == count.activated) << name << " all came into view";
        }
        if (c.steer) {
            ASSERT_EQ(1u, counts.count("Warden")) << report;
            EXPECT_EQ(1, counts.at("Warden").killed) << report;
            EXPECT_GE(killed, 90) << report;
            EXPECT_GT(placed, 175) << "the Warden calls in escorts";
            EXPECT_GT(check.GetEnemyHits(), 20) << report;
            EXPECT_GT(check.GetLastKillTime(), 160000) << "the Warden comes at 160 s";
            // The Warden is worth 10000, every other kill at least 100.
            EXPECT_GE(outcome.score, 10000 + 100 * (killed - 1)) << report;
        } else {
            EXPECT_LE(check.GetLowestHull(), 0) << report;
            EXPECT_LT(outcome.time, 160000) << "before the Warden comes";
        }

        simulation.TearDown();
        ScriptManager::SetInstanceForTesting(nullptr);
    }
    System::Instance().GetTextureManager()->Clear();
    System::Instance().GetShaderManager()->Clear();
    Assets::SetSource({});
    Problems::Reset();
}

// What the run cannot see: the shipped textures decode in a layout the game
// draws, the models carry texture coordinates and unit normals, and the height
// map does not end on a chunk boundary (the last chunk reads one row past itself).
TEST(ShippedLevel, FilesKeepWhatThePictureNeeds)
{
    for (const auto& entry : fs::directory_iterator(kRoot / "data/textures")) {
        TextureImage image;
        EXPECT_TRUE(entry.path().extension() != ".png" ||
                    (Texture::Decode(entry.path().string(), image) == 0 && image.channels >= 3)) << entry.path();
    }
    for (const auto& entry : fs::directory_iterator(kRoot / "data/models")) {
        Model model;
        CaptureStdout([&] { model.LoadObj(entry.path().string()); });
        EXPECT_TRUE(model.GetTriangleCount() > 50 && model.HasTexCoords()) << entry.path();
        for (const std::vector<float>* frame : {&model.GetNormals(), &model.GetTangents(), &model.GetBitangents()})
            for (size_t i = 0; i + 2 < frame->size(); i += 3)
                ASSERT_NEAR(std::hypot((*frame)[i], (*frame)[i + 1], (*frame)[i + 2]), 1.0f, 1e-3f) << entry.path();
    }
    const std::string tga = ReadFile((kRoot / "data/levels/Level1-height.tga").string());
    ASSERT_GE(tga.size(), 18u);
    EXPECT_NE((uint8_t(tga[14]) | (uint8_t(tga[15]) << 8)) % 50, 0);
}

}  // namespace
