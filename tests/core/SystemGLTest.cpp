#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <thread>

#include "core/System.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include <GLFW/glfw3.h>

#include "tests/support/GLTestUtil.h"

TEST(SystemGL, ResizeKeepsTheFourByThreeProjection)
{
    // gluPerspective: m[0] = f / aspect, m[5] = f with f = cot(22.5 degrees).
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    // A height of 0 (a minimised window) and framebuffers of other shapes.
    for (auto [width, height] : {std::pair{640, 0}, {1920, 1080}, {640, 480}}) {
        System::OnResize(width, height);
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        EXPECT_NEAR(projection[5], f, 1e-4);
        EXPECT_NEAR(projection[0], f * 480.0f / 640.0f, 1e-4) << width << 'x' << height;
    }
}

namespace {

// Swaps and processes window events until the framebuffer has the size, for
// at most 5 s.
bool WaitForFramebuffer(int width, int height)
{
    System& system = System::Instance();
    for (int i = 0; i < 500; ++i) {
        system.SwapBuffers();  // the GL drawable follows the window at a swap
        int w = 0, h = 0;
        glfwGetFramebufferSize(system.GetWindow(), &w, &h);
        if (w == width && h == height && system.GetFramebufferWidth() == width &&
            system.GetFramebufferHeight() == height)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// A white picture with a red 16 x 16 square at its top-left, drawn in the
// 640 x 480 picture coordinates the GUI uses (the test resets the state after).
void DrawPicture()
{
    System::Instance().ClearWindow();
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glRectf(0, 480, 640, 0);  // y runs down: these corners keep the front face up
    glColor3f(1, 0, 0);
    glRectf(0, 16, 16, 0);
}

}  // namespace

TEST(SystemGL, FullScreenShowsTheLetterboxedPictureAndSwitchesBack)
{
    ResetGLState();
    System& system = System::Instance();
    const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor());
    ASSERT_NE(mode, nullptr);
    const int screenWidth = mode->width, screenHeight = mode->height;

    system.SetFullScreen(true);
    ASSERT_TRUE(WaitForFramebuffer(screenWidth, screenHeight)) << screenWidth << 'x' << screenHeight;
    const double scale = std::min(screenWidth / 640.0, screenHeight / 480.0);
    const int width = int(std::lround(640 * scale)), height = int(std::lround(480 * scale));
    const int left = (screenWidth - width) / 2, bottom = (screenHeight - height) / 2;
    const int right = left + width - 1, top = bottom + height - 1;

    DrawPicture();
    // The picture's top-left in its corner (its place and size are the
    // viewport's, checked below), black outside wherever the screen's shape
    // leaves bars.
    EXPECT_TRUE(Near(ReadPixel(left, top), Rgba{255, 0, 0, 255}));
    for (auto [x, y] : {std::pair{left - 1, screenHeight / 2}, {right + 1, screenHeight / 2},
                        {screenWidth / 2, bottom - 1}, {screenWidth / 2, top + 1}})
        if (x >= 0 && x < screenWidth && y >= 0 && y < screenHeight) {
            EXPECT_TRUE(Near(ReadPixel(x, y), Rgba{0, 0, 0, 255})) << x << ',' << y;
        }

    // Off-screen passes keep their own size, without the window's scissor; back on the window, the picture.
    FramebufferObject target(1, 640, 480);
    target.Bind(0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array{0, 0, 640, 480}), (std::array{viewport[0], viewport[1], viewport[2], viewport[3]}));
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(Near(TexturePixel(target.GetTexture(0)->GetId(), 640, 480, 0, 0), Rgba{128, 128, 128, 255}));
    FramebufferObject::Unbind();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array{left, bottom, width, height}),
              (std::array{viewport[0], viewport[1], viewport[2], viewport[3]}));

    system.SetFullScreen(false);
    ASSERT_TRUE(WaitForFramebuffer(640, 480));
    DrawPicture();
    EXPECT_TRUE(Near(ReadPixel(0, 479), Rgba{255, 0, 0, 255}) && Near(ReadPixel(639, 0), Rgba{255, 255, 255, 255}));
    int w = 0, h = 0;
    glfwGetWindowSize(system.GetWindow(), &w, &h);
    EXPECT_EQ((std::pair{640, 480}), (std::pair{w, h}));
    EXPECT_FALSE(glfwGetWindowAttrib(system.GetWindow(), GLFW_RESIZABLE));
    ResetGLState();
}

// Each frame's time is measured from the previous frame, not from start-up.
TEST(SystemGL, FrameTimeIsTheTimeSinceTheLastCall)
{
    System& system = System::Instance();
    system.FrameTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const float slept = system.FrameTime();
    const float next = system.FrameTime();
    EXPECT_TRUE(slept >= 29 && slept < 1000 && next < slept / 2) << slept << ' ' << next;
}
