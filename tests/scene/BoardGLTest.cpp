#include <gtest/gtest.h>

#include <memory>

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

const Rgba kRed = {255, 0, 0, 255};
const Rgba kGreen = {0, 255, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};
const Rgba kGrey = {128, 128, 128, 255};

// A ground shader that paints the terrain plain red and declares the
// uniforms the board sets.
const char* const kGroundShader =
    "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
    "[fragment]\nuniform int plrPosX;\nuniform int plrPosY;\nuniform int camY;\n"
    "void main() { gl_FragColor = vec4(1.0, 0.0, float(plrPosX + plrPosY + camY) * 0.0, 1.0); }\n";

// The ground pass as the World draws it, without the rest of the world.
class GroundNode : public SceneNode {
public:
    explicit GroundNode(Board& board_) : board(board_) {}
    void Draw() override { board.DrawGround(); }
    Board& board;
};

class BoardGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGLState();
        GlobalInfo::Instance().Reset();
        GlobalInfo::Instance().SetLevelSize(2500, 10000);
        background = std::make_unique<Texture>(MakeSolidTexture(kGreen), 1, 1);
        foreground = std::make_unique<Texture>(MakeSolidTexture(kBlue), 1, 1);
        dir.Write("ground.shdr", kGroundShader);
        CaptureStdout([&] { shaders.LoadDirectory(dir.Path()); });
        ASSERT_NE(shaders.GetShader("ground.shdr"), nullptr);
        board = std::make_unique<Board>(background.get(), foreground.get(), shaders.GetShader("ground.shdr"));
    }

    void TearDown() override
    {
        board.reset();
        background->Release();
        foreground->Release();
        GlobalInfo::Instance().Reset();
        ResetGLState();
    }

    // Renders `scene` with the camera over (playerX, scroll).
    void RenderFrom(float playerX, float scroll, SceneNode* scene)
    {
        camera.SetScroll(scroll);
        camera.Follow(Vec2(playerX, scroll), 0.0f);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Render(scene);
    }

    void ExpectStateRestored()
    {
        glActiveTextureARB(GL_TEXTURE0_ARB);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_BLEND));
    }

    TempDir dir;
    ShaderManager shaders;
    std::unique_ptr<Texture> background, foreground;
    std::unique_ptr<Board> board;
    PlayerCamera camera{1000.0f};
};

TEST_F(BoardGL, TerrainShowsUnderTheCameraWithTheBackdropAroundIt)
{
    GroundNode ground(*board);
    RenderFrom(0.0f, 575.0f, &ground);
    EXPECT_TRUE(Near(ReadPixel(320, 240), kGreen, 8)) << "without a heightmap only the backdrop";
    // 20 columns x 60 rows at grey 100: one chunk, x from -230 to 207, z from
    // 0 to 1150, 230 units up, so 1770 below the camera: 977 units either
    // side of the screen centre horizontally, 733 vertically.
    std::string path = dir.Write("map.tga", MakeTga(20, 60, [](int, int) { return 100; }));
    CaptureStdout([&] { ASSERT_TRUE(board->LoadHeightmap(path)); });

    struct Probe {
        const char* where;
        int x, y;
        Rgba colour;
    };
    // +z is up the screen, +x to the left.
    const Probe probes[] = {
        {"centre", 320, 240, kRed},
        {"past the far end (z 1247)", 320, 460, kGreen},
        {"left of the grid (x 366)", 200, 240, kGreen},
        {"screen corner", 2, 2, kGreen},
    };
    RenderFrom(0.0f, 575.0f, &ground);
    for (const Probe& p : probes)
        EXPECT_TRUE(Near(ReadPixel(p.x, p.y), p.colour, 8)) << p.where;
    ExpectStateRestored();

    // With the player 600 to the side the camera follows fully (width 2500)
    // while the terrain moves by half of that: it now lies 693 to 1130 units
    // right of the centre, and the backdrop still fills the rest.
    RenderFrom(600.0f, 575.0f, &ground);
    EXPECT_TRUE(Near(ReadPixel(320, 240), kGreen, 8));
    EXPECT_TRUE(Near(ReadPixel(600, 240), kRed, 8));

    // Drawn, the chunk holds buffer objects; out of reach it gives them back.
    EXPECT_TRUE(board->GetChunks()[0]->HasBuffers());
    RenderFrom(0.0f, 5000.0f, &ground);
    EXPECT_FALSE(board->GetChunks()[0]->HasBuffers());
}

// A translucent backdrop is drawn twice, the second pass over the first; an
// opaque one once, since a second pass would change no pixel.
TEST_F(BoardGL, ATranslucentBackdropIsDrawnTwice)
{
    const auto png = [&](const char* name, uint8_t alpha) {
        PngWriteOptions options;
        return dir.Write(name, WritePng(options, {0, 255, 0, alpha}));
    };
    for (const auto& [alpha, expected] : {std::pair{uint8_t(128), Rgba{32, 223, 32, 255}},
                                          std::pair{uint8_t(255), kGreen}}) {
        Texture backdrop(png("backdrop.png", alpha), true);
        EXPECT_EQ(backdrop.IsOpaque(), alpha == 255);
        board = std::make_unique<Board>(&backdrop, nullptr, shaders.GetShader("ground.shdr"));
        GroundNode scene(*board);
        RenderFrom(0.0f, 575.0f, &scene);
        // Over the grey clear: half green, then half again.
        Rgba colour = ReadPixel(320, 240);
        colour[3] = 255;  // the target's alpha is blended too; only the colour matters
        EXPECT_TRUE(Near(colour, expected, 8)) << int(alpha);
        ExpectStateRestored();
        board.reset();
        backdrop.Release();
    }
}

TEST_F(BoardGL, ForegroundStripPassesAtTwiceTheCameraRate)
{
    // Level length 10000: the strip is 20000 long and is drawn shifted back
    // by the camera's z, so its end reaches the screen centre when the
    // camera is at z = 10000. At 975 below the camera the view spans 404
    // units either side of the centre vertically.
    struct Case {
        float scroll;
        Rgba centre, high, low;
    };
    const Case cases[] = {
        {5000.0f, kBlue, kBlue, kBlue},
        {10100.0f, kGrey, kGrey, kBlue},   // the end is 200 behind the centre
        {10500.0f, kGrey, kGrey, kGrey},   // gone
    };
    for (const Case& c : cases) {
        RenderFrom(0.0f, c.scroll, board.get());
        EXPECT_TRUE(Near(ReadPixel(320, 240), c.centre, 8)) << "scroll " << c.scroll;
        EXPECT_TRUE(Near(ReadPixel(320, 470), c.high, 8)) << "scroll " << c.scroll;
        EXPECT_TRUE(Near(ReadPixel(5, 60), c.low, 8)) << "scroll " << c.scroll;
        ExpectStateRestored();
    }
    // Without its texture the strip is left out (untextured it would cover
    // the whole play field in white).
    Board bare(nullptr, nullptr, nullptr);
    RenderFrom(0.0f, 5000.0f, &bare);
    EXPECT_TRUE(Near(ReadPixel(320, 240), kGrey, 8));
    ExpectStateRestored();
}

}  // namespace
