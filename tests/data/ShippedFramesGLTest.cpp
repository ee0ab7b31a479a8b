// The shipped game as a player sees it: the level played with the fixed step
// and a few moves of the ship, the picture of chosen frames (terrain, the
// camera and the ground's glow following the ship aside, models, shots,
// bloom, text and HUD), then a paused frame full of explosions, shockwaves
// and wrecks, and the end of a run, each against the picture recorded in
// tests/data/frames/. One frame checks every pass the game draws at once;
// the narrower tests name which part broke. VANTREL_RECORD=1 writes the
// pictures anew: look at them before committing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <lua.hpp>

#include "core/Debug.h"
#include "core/Game.h"
#include "core/Keyboard.h"
#include "core/System.h"
#include "game/Actors.h"
#include "game/Enemy.h"
#include "render/GL.h"
#include <GLFW/glfw3.h>
#include "render/png/Png.h"
#include "scene/World.h"
#include "script/ScriptManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
const fs::path kFrames = fs::path(VANTREL_SOURCE_DIR) / "tests/data/frames";

// Frames of the level at 60 steps a second: the river at 5 s, the ship up and
// to the left at 10 and 15 s (turrets and orbs), the shield taking a hit at
// 20 s, a bomber and fighters firing at 30 s.
const std::vector<int> kLevelFrames = {300, 600, 900, 1200, 1800};
// Keys held over frames [from, to): the ship leaves the middle of the view,
// so the camera's sideways follow and the glow under the ship show.
const struct {
    int from, to, key;
} kSteering[] = {{420, 470, GLFW_KEY_LEFT}, {440, 470, GLFW_KEY_UP}, {1000, 1060, GLFW_KEY_RIGHT},
                 {1030, 1060, GLFW_KEY_DOWN}};

// The window's RGB, top row first, as a player would see it.
std::vector<uint8_t> Picture()
{
    const std::vector<uint8_t> rgba = ReadWindow();
    std::vector<uint8_t> rgb(640 * 480 * 3);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(y * 640 + x) * 3 + c] = rgba[((479 - y) * 640 + x) * 4 + c];
    return rgb;
}

std::vector<uint8_t> Recorded(const fs::path& path)
{
    png_image image{};
    std::vector<uint8_t> pixels;
    if (png_open_path(&image, path.c_str()) == PNG_OK && image.width == 640 && image.height == 480 &&
        image.colorType == 2 && image.depth == 8) {
        pixels.resize(PngOutputSize(&image));
        if (png_decode(&image, pixels.data()) != PNG_OK)
            pixels.clear();
    }
    png_close_path(&image);
    return pixels;
}

void Write(const fs::path& path, const std::vector<uint8_t>& picture)
{
    PngWriteOptions options;
    options.width = 640;
    options.height = 480;
    options.colorType = 2;
    const std::vector<uint8_t> file = WritePng(options, picture);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}

// Records the picture, or checks it against the recording and, when it
// differs, leaves it in the working directory to be looked at. The software
// renderer gives the same bits on every run of one machine, in both build
// types; another processor may round a few channels differently or move an
// edge by a pixel, which is all the check lets through.
void Check(const std::string& name, const std::vector<uint8_t>& picture)
{
    const fs::path path = kFrames / (name + ".png");
    if (getenv("VANTREL_RECORD")) {
        fs::create_directories(kFrames);
        Write(path, picture);
        return;
    }
    const std::vector<uint8_t> recorded = Recorded(path);
    ASSERT_EQ(recorded.size(), picture.size()) << path << " is missing or not 640 x 480 RGB";
    int slight = 0, large = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        const int d = std::abs(int(picture[i]) - int(recorded[i]));
        slight += d > 2;
        large += d > 24;
    }
    const bool same = slight <= 300 && large <= 60;
    if (!same)
        Write("frame-" + name + ".png", picture);
    EXPECT_TRUE(same) << name << ": " << slight << " channels differ by more than 2, " << large
                      << " by more than 24; the picture is in " << (fs::current_path() / ("frame-" + name + ".png"));
}

TEST(ShippedFramesGL, TheLevelThePauseAndTheEndLookAsRecorded)
{
    const fs::path previous = fs::current_path();
    fs::current_path(VANTREL_SOURCE_DIR);  // the game reads data/ from here
    int frame = 0;
    Keyboard::SetSource([&frame](int key) {
        for (const auto& held : kSteering)
            if (key == held.key && frame >= held.from && frame < held.to)
                return true;
        return false;
    });
    Keyboard::TakePresses();
    Game game;
    bool started = false;
    const std::string startup = CaptureStdout([&] { started = game.Startup(); });
    ASSERT_TRUE(started) << startup;
    srand(1);

    std::vector<std::pair<std::string, std::vector<uint8_t>>> pictures;
    std::string wanted;
    // Read back when the HUD is done, before the swap.
    System::Instance().GetDebug()->SetPassHook([&](const char* pass) {
        if (std::strcmp(pass, "hud") == 0 && !wanted.empty()) {
            pictures.emplace_back(wanted, Picture());
            wanted.clear();
        }
    });
    auto draw = [&] {
        Keyboard::TakeFocusChanges();  // other tests' windows take the focus
        game.RunFrame(1000.0f / 60.0f);
    };
    // The frames in between are only stepped: drawing them all would take a
    // minute. The two before each picture are drawn, for the effects that
    // carry something from one frame to the next.
    for (frame = 1; frame <= kLevelFrames.back(); ++frame) {
        const int next = *std::lower_bound(kLevelFrames.begin(), kLevelFrames.end(), frame);
        if (frame == next)
            wanted = std::to_string(frame);
        if (next - frame <= 2)
            draw();
        else
            game.GetSimulation().Frame(1000.0f / 60.0f, false);
    }
    // Every enemy on the board killed a quarter of a second before the game
    // pauses: the held picture shows their explosions, shockwaves and wrecks.
    for (const auto& enemy : game.GetWorld()->GetActors()->GetEnemies())
        enemy->Damage(1e6f);
    for (int i = 0; i < 15; ++i)
        draw();
    Keyboard::Press('P');
    wanted = "paused";
    draw();
    Keyboard::Press('P');
    draw();
    lua_State* L = ScriptManager::Instance().GetState();
    ASSERT_EQ(0, luaL_dostring(L, "Vantrel.EndGame('Ship destroyed')"));
    for (int i = 0; i < 300 && game.GetRun().GetPhase() != RunState::Phase::Ended; ++i)
        game.GetSimulation().Frame(1000.0f / 60.0f, false);
    draw();
    wanted = "ended";
    draw();
    System::Instance().GetDebug()->SetPassHook(nullptr);
    game.Teardown();
    fs::current_path(previous);

    ASSERT_EQ(pictures.size(), kLevelFrames.size() + 2);
    for (const auto& [name, picture] : pictures)
        Check(name, picture);
}

}  // namespace
