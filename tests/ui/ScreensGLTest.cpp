// The 2D screens as a player sees them: text lands where its alignment
// says, control bytes draw nothing, the meters read the player's state with
// the promised lengths, panels have their colours, and drawing a screen
// leaves the 3D state as it was.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "core/RunState.h"
#include "core/Problems.h"
#include "core/System.h"
#include "game/Player.h"
#include "game/Weapon.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "scene/World.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"
#include "ui/HUD.h"
#include "ui/RunScreen.h"
#include "ui/ProblemNotice.h"
#include "ui/Shop.h"
#include "ui/TextRenderer.h"

namespace {

struct Box {
    int left = 640, right = -1, top = 480, bottom = -1;  // GUI pixels, y down
};

// Where the window differs from black, in GUI coordinates.
Box LitBox()
{
    std::vector<Rgba> pixels(640 * 480);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    Box box;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const Rgba& p = pixels[size_t(y) * 640 + x];
            if (p[0] + p[1] + p[2] < 60)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, 479 - y);
            box.bottom = std::max(box.bottom, 479 - y);
        }
    return box;
}

int Brightness(const Rgba& p)
{
    return int(p[0]) + int(p[1]) + int(p[2]);
}

// Colour at GUI (x, y); the window's alpha is not what a player sees.
Rgba At(int x, int y)
{
    Rgba p = ReadPixel(x, 479 - y);
    p[3] = 255;
    return p;
}

void ClearBlack()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
}

class ScreensGLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TextureManager* textures = System::Instance().GetTextureManager();
        if (textures->Count() == 0)
            CaptureStdout([&] { textures->LoadDirectory(std::string(VANTREL_SOURCE_DIR) + "/data/textures/"); });
    }
    void SetUp() override
    {
        ResetGLState();
        ClearBlack();
    }
    void TearDown() override { ResetGLState(); }
};

class PanelScreen : public GUI {
public:
    int highlight = 0;
    void Draw() override { DrawPanel(100, 100, 200, 100, highlight); }
    void Update(float) override {}
};

TEST_F(ScreensGLTest, ControlBytesDrawNothingAndNeverReachOtherLists)
{
    // Lists made before the renderer's own: each would paint the window red.
    const GLuint trap = glGenLists(64);
    for (GLuint i = 0; i < 64; ++i) {
        glNewList(trap + i, GL_COMPILE);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
        glRectf(-1000, -1000, 1000, 1000);
        glColor3f(1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        glEndList();
    }
    TextRenderer& text = TextRenderer::Instance();
    text.Print(100, 100, "\x01\x0a\x1f", 0, 0);
    EXPECT_EQ(LitBox().right, -1) << "control bytes drew something";

    // Between printable bytes they neither draw nor advance.
    text.Print(100, 100, "A\x01" "B", 0, 0);
    const Box mixed = LitBox();
    ClearBlack();
    text.Print(100, 100, "AB", 0, 0);
    const Box plain = LitBox();
    EXPECT_EQ(mixed.left, plain.left);
    EXPECT_EQ(mixed.right, plain.right);
    glDeleteLists(trap, 64);
}

TEST_F(ScreensGLTest, TextLandsWhereItsAlignmentSays)
{
    TextRenderer& text = TextRenderer::Instance();
    // "Play!" centred on x = 330 occupies 290 to 370.
    text.Print(330, 200, "Play!", 0, 1);
    Box box = LitBox();
    EXPECT_GE(box.left, 290);
    EXPECT_LE(box.left, 295);
    EXPECT_LT(box.right, 370);
    EXPECT_GT(box.right, 360);
    // Right-aligned text ends at x.
    ClearBlack();
    text.Print(330, 200, "Play!", 0, 2);
    box = LitBox();
    EXPECT_LT(box.right, 330);
    EXPECT_GE(box.left, 250);

    // Vertical alignment 0 puts the top at y, 1 the middle, 2 the bottom.
    const std::pair<int, int> rows[] = {{0, 200}, {1, 188}, {2, 176}};
    for (auto [align, top] : rows) {
        ClearBlack();
        text.Print(100, 200, "|Hg", align, 0);
        box = LitBox();
        EXPECT_GE(box.top, top) << align;
        EXPECT_LT(box.bottom, top + 24) << align;
        EXPECT_GT(box.bottom - box.top, 14) << align;
    }
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(ScreensGLTest, MetersShowThePlayersShieldAndHitPoints)
{
    std::unique_ptr<World> world;
    CaptureStdout([&] { world = std::make_unique<World>(); });
    Player* player = GlobalInfo::Instance().GetPlayer();
    ASSERT_NE(player, nullptr);
    HUD hud;
    // (shield ratio, hit-point ratio) and the last lit column of each meter;
    // 458 means empty (only the frame).
    struct Case {
        float shield, health;
        int shieldEnd, healthEnd;
    };
    const Case cases[] = {
        {1.0f, 1.0f, 619, 619},
        {0.999f, 0.5f, 618, 458 + 80},
        {0.0f, -0.5f, 458, 458},
    };
    for (const Case& c : cases) {
        player->SetShield(c.shield * player->GetMaxShield());
        player->SetHealth(c.health * player->GetMaxHealth());
        ClearBlack();
        hud.Render();
        for (auto [row, end] : {std::pair{430, c.shieldEnd}, {450, c.healthEnd}}) {
            if (end > 458)
                EXPECT_GT(Brightness(At(end, row)), 60) << row << " " << c.shield << " " << c.health;
            EXPECT_LT(Brightness(At(end + 1, row)), 10) << row << " " << c.shield << " " << c.health;
        }
    }
    // The title stands at the top left.
    EXPECT_GT(Brightness(At(8, 15)) + Brightness(At(9, 15)) + Brightness(At(10, 15)), 0);

    // Drawing the HUD leaves the 3D state alone.
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[11], -1.0f);  // still the perspective
}

TEST_F(ScreensGLTest, TheProblemNoticeIsOneLineAtTheBottomOnlyWhileShown)
{
    Problems::Reset();
    ProblemNotice notice;
    notice.Update(16);
    notice.Render();
    EXPECT_EQ(LitBox().right, -1);  // nothing without a problem

    CaptureStdout([] { Problems::Load(2, "data/x.txt", 4, "no enemy type is named \"Drnoe\"; the line is skipped"); });
    notice.Update(16);
    notice.Render();
    const Box box = LitBox();
    EXPECT_LT(box.left, 16);
    EXPECT_GT(box.right, 600);  // cut to the width, not short of it
    EXPECT_GE(box.top, 452);
    EXPECT_LE(box.bottom, 479);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    Problems::Reset();
}

TEST_F(ScreensGLTest, MeterLengthTruncatesAndNeverOverflows)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float value, maximum;
        int length;
    } cases[] = {
        {100, 100, 161},   {99.9f, 100, 160},  {0, 100, 0},       {-50, 100, -80},
        {150, 100, 241},   {0, 0, 0},          {5, 0, HUD::kMaxMeterLength},
        {-5, 0, -HUD::kMaxMeterLength},         {nan, 100, 0},     {inf, 100, HUD::kMaxMeterLength},
        {1e30f, 1e-30f, HUD::kMaxMeterLength},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HUD::MeterLength(c.value, c.maximum), c.length) << c.value << " / " << c.maximum;
}

TEST_F(ScreensGLTest, APanelHasItsColourAndTheShopStripHasTenEqualCells)
{
    // Translucent (alpha 0.7) over black.
    const std::pair<int, Rgba> panels[] = {
        {1, Rgba{143, 125, 54, 255}}, {0, Rgba{125, 125, 125, 255}}, {2, Rgba{125, 125, 125, 255}}};
    PanelScreen screen;
    for (auto [highlight, colour] : panels) {
        ClearBlack();
        screen.highlight = highlight;
        screen.Render();
        for (auto [x, y] : {std::pair{200, 150}, {200, 105}, {200, 195}})
            EXPECT_TRUE(Near(At(x, y), colour, 3)) << highlight << " at " << x << "," << y;
        EXPECT_TRUE(Near(At(99, 150), Rgba{0, 0, 0, 255})) << highlight;
    }

    ClearBlack();
    Shop shop("gui-bars.png");
    shop.Render();
    // The ten strip cells are identical.
    for (int dx : {2, 6, 10})
        EXPECT_TRUE(Near(At(96 + dx, 430), At(96 + 9 * 13 + dx, 430), 1)) << dx;
}

// Where the window is brighter than `threshold` within a GUI rectangle.
Box BrightBox(int left, int top, int right, int bottom, int threshold)
{
    Box box;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (Brightness(At(x, y)) > threshold) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST_F(ScreensGLTest, RunScreenShadesThePictureAndCentresItsLinesAndTheHUDShowsScoreAndLevel)
{
    RunState run;
    run.Start();
    GlobalInfo::Instance().SetRun(&run);
    RunScreen screen;
    // (state, shade of a white picture, rows and half-widths of the centred lines)
    struct Case {
        const char* what;
        int shade;
        std::vector<std::pair<int, int>> lines;
    };
    const Case cases[] = {
        {"playing", 255, {}},
        {"paused", int(255 * (1 - RunScreen::kPausedShade)), {{220, 3 * 16}, {260, 17 * 8}}},
        {"ended", int(255 * (1 - RunScreen::kEndedShade)), {{190, 11 * 8}, {230, 11 * 8}, {290, 25 * 8}}},
    };
    for (const Case& c : cases) {
        if (std::string(c.what) == "paused")
            run.SetPaused(true);
        if (std::string(c.what) == "ended") {
            run.SetPaused(false);
            run.AddScore(43549.6);
            run.EndGame("Level clear");
            run.AfterStep(RunState::kEndingTime);  // "Score 43550" is 11 glyphs too
        }
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        screen.Render();
        EXPECT_TRUE(Near(At(5, 470), Rgba{uint8_t(c.shade), uint8_t(c.shade), uint8_t(c.shade), 255}, 3))
            << c.what;
        for (auto [row, half] : c.lines) {
            const Box text = BrightBox(0, row - 12, 640, row + 12, 3 * c.shade + 60);
            // Glyph cells are 16 wide; their ink starts a few pixels in.
            EXPECT_TRUE(text.left >= 320 - half && text.left < 320 - half + 8 && text.right <= 320 + half &&
                        text.right > 320 + half - 8 && std::abs(text.left + text.right - 640) <= 4)
                << c.what << " row " << row << ": " << text.left << ".." << text.right;
        }
    }

    std::unique_ptr<World> world;
    CaptureStdout([&] { world = std::make_unique<World>(); });
    GlobalInfo::Instance().GetPlayer()->GetPrimaryWeapon()->SetLevel(7);
    ClearBlack();
    HUD().Render();
    // "Score 43550" ends at the top right edge; "Weapon 7" ends beside the panel.
    const Box score = BrightBox(320, 0, 640, 40, 60), level = BrightBox(200, 420, 446, 460, 60);
    EXPECT_TRUE(score.left >= 635 - 11 * 16 && score.left < 635 - 11 * 16 + 8 && score.right < 635 &&
                score.right > 627)
        << score.left << ".." << score.right;
    EXPECT_TRUE(level.left >= 438 - 8 * 16 && level.left < 438 - 8 * 16 + 8 && level.right < 438 && level.right > 430)
        << level.left << ".." << level.right;
    GlobalInfo::Instance().SetRun(nullptr);
}

}  // namespace
