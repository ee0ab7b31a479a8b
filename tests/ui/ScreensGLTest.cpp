// The 2D screens as a player sees them: text lands where its alignment
// says, control bytes draw nothing, the meters read the player's state with
// the promised lengths, panels have their colours, and drawing a screen
// leaves the 3D state as it was.
#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "core/RunState.h"
#include "core/System.h"
#include "game/Player.h"
#include "game/Weapon.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "scene/World.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"
#include "ui/HUD.h"
#include "ui/ProblemNotice.h"
#include "ui/RunScreen.h"
#include "ui/Shop.h"
#include "ui/TextRenderer.h"

namespace {

int Brightness(const Rgba& p)
{
    return int(p[0]) + int(p[1]) + int(p[2]);
}

// Colour at GUI (x, y), y down; the window's alpha is not what a player sees.
Rgba At(int x, int y)
{
    Rgba p = ReadPixel(x, 479 - y);
    p[3] = 255;
    return p;
}

struct Box {
    int left = 640, right = -1, top = 480, bottom = -1;  // GUI pixels, y down

    // Ink of `glyphs` glyph cells from x = `from`: cells are 16 wide and
    // their ink starts and ends a few pixels in.
    bool Spans(int from, int glyphs) const
    {
        return left >= from && left < from + 8 && right < from + 16 * glyphs && right > from + 16 * glyphs - 8;
    }
};

// Where the window is brighter than `threshold` within a GUI rectangle.
Box LitBox(int threshold = 59, int left = 0, int top = 0, int right = 640, int bottom = 480)
{
    std::vector<Rgba> pixels(640 * 480);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    Box box;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (Brightness(pixels[size_t(479 - y) * 640 + x]) > threshold) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Black unless asked for white; the usual grey clear colour is kept.
void Clear(float grey = 0.0f)
{
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
}

// The shipped textures, and a running run on the blackboard.
class ScreensGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        TextureManager* textures = System::Instance().GetTextureManager();
        if (textures->Count() == 0)
            CaptureStdout([&] { textures->LoadDirectory(std::string(VANTREL_SOURCE_DIR) + "/data/textures/"); });
        ResetGLState();
        Clear();
        run.Start();
        GlobalInfo::Instance().SetRun(&run);
    }
    void TearDown() override
    {
        GlobalInfo::Instance().SetRun(nullptr);
        ResetGLState();
    }
    RunState run;
};

// Control bytes draw nothing, text sits at its vertical alignment; the HUD's
// meters' last lit columns (458 means empty: only the frame), the score at
// the top right and the weapon level beside the panel; the 3D state is left
// alone.
TEST_F(ScreensGL, TextAndTheHUDLandWhereTheySay)
{
    // Lists made before the renderer's own: each would paint the window red.
    const GLuint trap = glGenLists(64);
    for (GLuint i = 0; i < 64; ++i) {
        glNewList(trap + i, GL_COMPILE);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
        glRectf(-1000, -1000, 1000, 1000);
        glEndList();
    }
    // Control bytes between printable ones neither draw nor advance (a trap
    // list reached would show).
    TextRenderer& text = TextRenderer::Instance();
    text.Print(100, 100, "A\x01" "B", 0, 0);
    const Box mixed = LitBox();
    glDeleteLists(trap, 64);
    Clear();
    text.Print(100, 100, "AB", 0, 0);
    EXPECT_TRUE(mixed.left == LitBox().left && mixed.right == LitBox().right);
    // Vertical alignment 0 puts the top at y, 1 the middle, 2 the bottom.
    for (auto [align, top] : {std::pair{0, 200}, {1, 188}, {2, 176}}) {
        Clear();
        text.Print(100, 200, "|Hg", align, 0);
        const Box box = LitBox();
        EXPECT_TRUE(box.top >= top && box.bottom < top + 24 && box.bottom - box.top > 14) << align;
    }

    run.AddScore(43549.6);
    std::unique_ptr<World> world;
    CaptureStdout([&] { world = std::make_unique<World>(); });
    Player* player = GlobalInfo::Instance().GetPlayer();
    ASSERT_NE(player, nullptr);
    player->GetPrimaryWeapon()->SetLevel(7);
    HUD hud;
    const struct {
        float shield, health;
        int shieldEnd, healthEnd;
    } cases[] = {{1.0f, 1.0f, 619, 619}, {0.999f, 0.5f, 618, 458 + 80}, {0.0f, -0.5f, 458, 458}};
    for (const auto& c : cases) {
        player->SetShield(c.shield * player->GetMaxShield());
        player->SetHealth(c.health * player->GetMaxHealth());
        Clear();
        hud.Render();
        for (auto [row, end] : {std::pair{430, c.shieldEnd}, {450, c.healthEnd}}) {
            EXPECT_TRUE(end == 458 || Brightness(At(end, row)) > 60) << row << " " << c.shield << " " << c.health;
            EXPECT_LT(Brightness(At(end + 1, row)), 10) << row << " " << c.shield << " " << c.health;
        }
    }
    // "Score 43550" ends at the top right edge; "Weapon 7" ends beside the panel.
    EXPECT_TRUE(LitBox(60, 320, 0, 640, 40).Spans(635 - 11 * 16, 11));
    EXPECT_TRUE(LitBox(60, 200, 420, 446, 460).Spans(438 - 8 * 16, 8));
    GLint mode = 0;
    GLfloat projection[16];
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_TRUE(mode == GL_MODELVIEW && glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FLOAT_EQ(projection[11], -1.0f);  // still the perspective
}

class PanelScreen : public GUI {
public:
    int highlight = 0;
    void Draw() override { DrawPanel(100, 100, 200, 100, highlight); }
    void Update(float) override {}
};

// Panels have their colours, translucent (alpha 0.7) over black; the shop
// strip has ten equal cells; the problem notice is one line at the bottom
// only while shown; a paused or ended run shades the picture and centres
// its lines.
TEST_F(ScreensGL, PanelsTheNoticeAndTheRunScreenHaveTheirColoursAndPlaces)
{
    PanelScreen panel;
    for (auto [highlight, colour] : {std::pair{1, Rgba{143, 125, 54, 255}}, {0, Rgba{125, 125, 125, 255}}}) {
        Clear();
        panel.highlight = highlight;
        panel.Render();
        for (auto [x, y] : {std::pair{200, 150}, {200, 105}, {200, 195}})
            EXPECT_TRUE(Near(At(x, y), colour, 3)) << highlight << " at " << x << "," << y;
        EXPECT_TRUE(Near(At(99, 150), Rgba{0, 0, 0, 255})) << highlight;
    }
    Clear();
    Shop("gui-bars.png").Render();
    for (int dx : {2, 6, 10})
        EXPECT_TRUE(Near(At(96 + dx, 430), At(96 + 9 * 13 + dx, 430), 1)) << dx;

    Problems::Reset();
    ProblemNotice notice;
    notice.Update(16);
    Clear(1);
    notice.Render();
    EXPECT_EQ(Brightness(At(320, 470)), 765) << "nothing without a problem";
    Clear();
    CaptureStdout([] { Problems::Load(2, "data/x.txt", 4, "no enemy type is named \"Drnoe\"; the line is skipped"); });
    notice.Update(16);
    notice.Render();
    const Box box = LitBox();
    EXPECT_TRUE(box.left < 16 && box.right > 600) << box.left << ".." << box.right;  // cut to the width
    EXPECT_TRUE(box.top >= 452 && box.bottom <= 479) << box.top << ".." << box.bottom;
    Problems::Reset();

    RunScreen screen;
    // (state, shade of a white picture, rows and glyph counts of the lines)
    const struct {
        const char* what;
        int shade;
        std::vector<std::pair<int, int>> lines;
    } cases[] = {
        {"playing", 255, {}},
        {"paused", int(255 * (1 - RunScreen::kPausedShade)), {{220, 6}, {260, 17}}},
        {"ended", int(255 * (1 - RunScreen::kEndedShade)), {{190, 11}, {230, 11}, {290, 25}}},
    };
    for (const auto& c : cases) {
        run.SetPaused(c.what == std::string("paused"));
        if (c.what == std::string("ended")) {
            run.AddScore(43549.6);
            run.EndGame("Level clear");
            run.AfterStep(RunState::kEndingTime);  // "Score 43550" is 11 glyphs too
        }
        Clear(1);
        screen.Render();
        EXPECT_TRUE(Near(At(5, 470), Rgba{uint8_t(c.shade), uint8_t(c.shade), uint8_t(c.shade), 255}, 3)) << c.what;
        for (auto [row, glyphs] : c.lines) {
            const Box text = LitBox(3 * c.shade + 60, 0, row - 12, 640, row + 12);
            EXPECT_TRUE(text.Spans(320 - 8 * glyphs, glyphs)) << c.what << " row " << row << ": " << text.left
                                                             << ".." << text.right;
        }
    }
}

}  // namespace
