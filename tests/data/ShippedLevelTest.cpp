// The data and scripts the game ships. The whole of Level 1 through
// vantrel-check's own run (the game's loaders, step and autopilot): nothing
// fails to load, no script raises an error, the level plays as recorded.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/LevelCheck.h"
#include "core/Loading.h"
#include "core/Problems.h"
#include "core/Simulation.h"
#include "core/System.h"
#include "game/Actors.h"
#include "game/Assets.h"
#include "game/Bullets.h"
#include "game/Player.h"
#include "scene/World.h"
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

// Once a second: the ship, the score, the enemies and bullets on the board
// (counts and sums, rounded so that both build types print the same).
std::string TraceLine(const Simulation& simulation, float played)
{
    const Actors& actors = *simulation.GetWorld()->GetActors();
    const Player& ship = *actors.GetPlayer();
    const Bullets& bullets = *simulation.GetWorld()->GetBullets();
    Vec2 where;
    float health = 0;
    for (const auto& enemy : actors.GetEnemies()) {
        where = where + enemy->GetPosition();
        health += enemy->GetHealth();
    }
    char line[256];
    snprintf(line, sizeof line, "%3.0f s: ship %.0f %.0f hull %.0f shield %.0f score %.0f; %zu enemies at %.0f %.0f "
             "health %.0f; shots %zu %zu\n", played / 1000, ship.GetPosition().x, ship.GetPosition().y,
             ship.GetHealth(), ship.GetShield(), simulation.GetRun().GetScore(), actors.GetEnemies().size(), where.x,
             where.y, health, bullets.GetPlayerBullets().size(), bullets.GetEnemyBullets().size());
    return line;
}

// The whole level played by the autopilot with strong guns, and flown into
// by a ship with weak ones and no hands on the keys: both runs, second by
// second and their reports (how and when each ended, and every load problem
// or script error), as recorded in ShippedLevel.trace (while the narrower
// tests of movement, weapons, hits, damage and score all passed).
// VANTREL_RECORD=1 writes the file anew.
TEST(ShippedLevel, PlaysAsRecordedToLevelClearOrShipDestroyedWithoutAProblem)
{
    InSourceDirectory here;
    std::string trace;
    for (auto [weaponLevel, steer] : {std::pair{10, true}, {1, false}}) {
        Problems::Reset();
        ScriptManager scripts;  // "data/scripts/main.lua"
        ScriptManager::SetInstanceForTesting(&scripts);
        srand(1);
        Simulation simulation;
        LevelCheck::Options options;
        options.weaponLevel = weaponLevel, options.steer = steer;
        LevelCheck check(options);
        CaptureStdout([&] { Loading::StartWithoutWindow(simulation, false); });
        float played = 0;
        simulation.SetGuiUpdate([&](float dt) {
            played += dt;
            if (static_cast<int>(played / 1000) != static_cast<int>((played - dt) / 1000))
                trace += TraceLine(simulation, played);
        });
        check.Play(simulation);
        trace += CaptureStdout([&] { check.PrintReport(); });
        simulation.TearDown();
        ScriptManager::SetInstanceForTesting(nullptr);
    }
    System::Instance().GetTextureManager()->Clear();
    System::Instance().GetShaderManager()->Clear();
    Assets::SetSource({});
    Problems::Reset();

    const std::string path = (kRoot / "tests/data/ShippedLevel.trace").string();
    if (getenv("VANTREL_RECORD")) {
        std::ofstream(path) << trace;
        GTEST_SKIP() << "recorded " << path;
    }
    std::istringstream expected(ReadFile(path)), actual(trace);
    std::string want, got;
    for (int line = 1; bool(std::getline(expected, want)) | bool(std::getline(actual, got)); ++line) {
        ASSERT_EQ(want, got) << "line " << line << " of " << path;
        want.clear();
        got.clear();
    }
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
