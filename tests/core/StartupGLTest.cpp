#include <gtest/gtest.h>

#include "render/GL.h"

// GLTestMain opened the window and ran InitGraphics once; check what that
// left that the shipped frames would not show: the usual blend, the depth test
// and the grey clear.
TEST(Startup, GLStateMatchesTheDrawingContract)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_TRUE(clear[0] == 0.5f && clear[3] == 1.0f);
}
