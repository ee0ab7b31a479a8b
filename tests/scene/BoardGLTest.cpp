#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/GlobalInfo.h"
#include "render/GL.h"
#include "render/ShaderManager.h"
#include "render/Texture.h"
#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/PlayerCamera.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

const Rgba kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255}, kGrey = {128, 128, 128, 255};

// The ground pass as the World draws it, without the rest of the world.
struct GroundNode : SceneNode {
    explicit GroundNode(Board& board_) : board(board_) {}
    void Draw() override { board.DrawGround(); }
    Board& board;
};

// The backdrop green, the foreground strip blue, the terrain red (a shader
// declaring the uniforms the board sets); +z is up the screen, +x to the left.
TEST(BoardGL, TerrainBackdropAndForegroundStripShowWhereTheCameraLooks)
{
    ResetGLState();
    GlobalInfo::Instance().Reset();
    GlobalInfo::Instance().SetLevelSize(2500, 10000);
    Texture background(MakeSolidTexture(kGreen), 1, 1), foreground(MakeSolidTexture(kBlue), 1, 1);
    TempDir dir;
    dir.Write("ground.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                             "[fragment]\nuniform int plrPosX;\nuniform int plrPosY;\nuniform int camY;\n"
                             "void main() { gl_FragColor = vec4(1.0, 0.0, float(plrPosX + plrPosY + camY) * 0.0, 1.0); }\n");
    ShaderManager shaders;
    CaptureStdout([&] { shaders.LoadDirectory(dir.Path()); });
    ASSERT_NE(shaders.GetShader("ground.shdr"), nullptr);
    auto board = std::make_unique<Board>(&background, &foreground, shaders.GetShader("ground.shdr"));
    GroundNode ground(*board);
    PlayerCamera camera{1000.0f};
    // Renders `scene` with the camera over (playerX, scroll); every pass leaves the state it found.
    auto render = [&](float playerX, float scroll, SceneNode* scene) {
        camera.SetScroll(scroll);
        camera.Follow(Vec2(playerX, scroll), 0.0f);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Render(scene);
        ExpectDrawStateRestored();
    };
    auto expect = [](int x, int y, const Rgba& colour, const char* where) {
        EXPECT_TRUE(Near(ReadPixel(x, y), colour, 8)) << where;
    };

    // 20 columns x 60 rows at grey 100: one chunk, 230 up, so 1770 below the
    // camera. (How far it moves when the camera follows the ship aside:
    // ShippedFramesGLTest.)
    CaptureStdout([&] { ASSERT_TRUE(board->LoadHeightmap(dir.Write("map.tga", MakeTga(20, 60, [](int, int) { return 100; })))); });
    render(0.0f, 575.0f, &ground);
    expect(320, 240, kRed, "centre");
    // Drawn, the chunk holds buffer objects; out of reach it gives them back.
    EXPECT_TRUE(board->GetChunks()[0]->HasBuffers());
    render(0.0f, 5000.0f, &ground);
    EXPECT_FALSE(board->GetChunks()[0]->HasBuffers());

    // A translucent backdrop is drawn twice, the second pass over the first
    // (over the grey clear: half green, then half again); an opaque one once,
    // since a second pass would change no pixel.
    for (const auto& [alpha, expected] : {std::pair{uint8_t(128), Rgba{32, 223, 32, 255}},
                                          std::pair{uint8_t(255), kGreen}}) {
        Texture backdrop(dir.Write("backdrop.png", WritePng(PngWriteOptions(), {0, 255, 0, alpha})), true);
        EXPECT_EQ(backdrop.IsOpaque(), alpha == 255);
        Board backdropOnly(&backdrop, nullptr, nullptr);
        GroundNode scene(backdropOnly);
        render(0.0f, 575.0f, &scene);
        Rgba colour = ReadPixel(320, 240);
        colour[3] = 255;  // the target's alpha is blended too; only the colour matters
        EXPECT_TRUE(Near(colour, expected, 8)) << int(alpha);
        backdrop.Release();
    }

    // The strip is 20000 long and drawn shifted back by the camera's z, so
    // its end reaches the screen centre when the camera is at z = 10000; at
    // 975 below the camera the view spans 404 units either side vertically.
    render(0.0f, 10100.0f, board.get());
    expect(320, 240, kGrey, "the strip's end is 200 behind the centre");
    expect(320, 470, kGrey, "strip top");
    expect(5, 60, kBlue, "strip bottom");
    // A mostly clear strip is drawn in pieces, only where it has alpha. The
    // picture is the whole quad's, which the alpha test off gives: there the
    // clear texels go through blending and change nothing.
    {
        PngWriteOptions options;
        options.width = options.height = 64;
        std::vector<uint8_t> pixels;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool shown = (x / 8) % 4 == 0 && (y / 8) % 4 == 0;
                pixels.insert(pixels.end(), {uint8_t(x * 4), uint8_t(y * 4), 200,
                                             uint8_t(shown ? 64 + (x * 7 + y * 3) % 64 * 2 : 0)});
            }
        Texture clouds(dir.Write("clouds.png", WritePng(options, pixels)), true);
        Board strip(nullptr, &clouds, nullptr);
        auto picture = [&] {
            render(-600.0f, 5555.0f, &strip);  // the s = 1 edge and t = 4 in view
            return ReadWindow();
        };
        const std::vector<uint8_t> pieces = picture();
        EXPECT_GT(strip.GetForegroundPieces(), 4);
        glDisable(GL_ALPHA_TEST);
        const std::vector<uint8_t> whole = picture();
        EXPECT_EQ(strip.GetForegroundPieces(), 1);
        glEnable(GL_ALPHA_TEST);
        EXPECT_EQ(Differences(whole, pieces, 3), 0);
        EXPECT_NE(whole, std::vector<uint8_t>(whole.size(), whole[0])) << "the strip shows";
        clouds.Release();
    }
    // Without its texture the strip is left out (untextured it would cover
    // the whole play field in white).
    Board bare(nullptr, nullptr, nullptr);
    render(0.0f, 5000.0f, &bare);
    expect(320, 240, kGrey, "no strip texture");

    board.reset();
    background.Release();
    foreground.Release();
    GlobalInfo::Instance().Reset();
    ResetGLState();
}

}  // namespace
