#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "core/System.h"
#include "render/GL.h"
#include "tests/support/GLTestUtil.h"

TEST(SystemGL, ResizeWithHeightZeroKeepsAValidViewportAndProjection)
{
    System::OnResize(640, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: m[0] = f / aspect, m[5] = f with f = cot(22.5 degrees).
    const float f = 1.0f / std::tan(22.5f * 3.14159265f / 180.0f);
    EXPECT_NEAR(projection[5], f, 1e-4);
    EXPECT_NEAR(projection[0], f / 640.0f, 1e-6);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    System::OnResize(640, 480);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], f * 480.0f / 640.0f, 1e-4);  // 4:3, not an integer aspect of 1
}

// Runs last in its process: closing the window ends the frame loop.
TEST(SystemGL, FrameTimeMeasuresMillisecondsAndNoticesTheCloseRequest)
{
    System& system = System::Instance();
    system.FrameTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    float dt = system.FrameTime();
    EXPECT_GE(dt, 29.0f);
    EXPECT_LT(dt, 1000.0f);
    EXPECT_TRUE(system.IsRunning());

    system.RequestClose();
    system.SwapBuffers();  // events are processed at the swap
    dt = system.FrameTime();
    EXPECT_GE(dt, 0.0f);
    EXPECT_LT(dt, 1000.0f);  // a normal time step in the closing frame
    EXPECT_FALSE(system.IsRunning());
}
