// The 2D screens' parts that the shipped frames do not show: control bytes in
// text draw nothing, the highlighted panel's colour, the shop strip's cells
// and the problem notice.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "core/Problems.h"
#include "core/System.h"
#include "render/GL.h"
#include "render/TextureManager.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"
#include "ui/ProblemNotice.h"
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
};

// Where the window is lit.
Box LitBox()
{
    const std::vector<uint8_t> pixels = ReadWindow();
    Box box;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (const uint8_t* p = &pixels[(size_t(479 - y) * 640 + x) * 4]; p[0] + p[1] + p[2] > 59) {
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

class PanelScreen : public GUI {
public:
    void Draw() override { DrawPanel(100, 100, 200, 100, 1); }
    void Update(float) override {}
};

TEST(ScreensGL, ControlBytesPanelsTheShopStripAndTheProblemNotice)
{
    TextureManager* textures = System::Instance().GetTextureManager();
    if (textures->Count() == 0)
        CaptureStdout([&] { textures->LoadDirectory(std::string(VANTREL_SOURCE_DIR) + "/data/textures/"); });
    ResetGLState();
    Clear();
    // Lists made before the renderer's own: each would paint the window red.
    const GLuint trap = glGenLists(64);
    for (GLuint i = 0; i < 64; ++i) {
        glNewList(trap + i, GL_COMPILE);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 0, 0);
        glRectf(-1000, -1000, 1000, 1000);
        glEndList();
    }
    // Control bytes between printable ones neither draw nor advance.
    TextRenderer& text = TextRenderer::Instance();
    text.Print(100, 100, "A\x01" "B", 0, 0);
    const Box mixed = LitBox();
    glDeleteLists(trap, 64);
    Clear();
    text.Print(100, 100, "AB", 0, 0);
    EXPECT_TRUE(mixed.left == LitBox().left && mixed.right == LitBox().right);

    // The highlighted panel, translucent (alpha 0.7) over black; the plain one
    // is on every frame's HUD.
    Clear();
    PanelScreen().Render();
    EXPECT_TRUE(Near(At(200, 150), Rgba{143, 125, 54, 255}, 3));
    Clear();
    Shop("gui-bars.png").Render();
    for (int dx : {2, 6, 10})
        EXPECT_TRUE(Near(At(96 + dx, 430), At(96 + 9 * 13 + dx, 430), 1)) << dx;

    // The notice is one line at the bottom, only while shown.
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
    ResetGLState();
}

}  // namespace
