#include <gtest/gtest.h>

#include "render/GL.h"
#include "tests/support/GLTestUtil.h"

TEST(Startup, GLStateMatchesTheDrawingContract)
{
    // GLTestMain opened the window and ran InitGraphics once; check what that left.
    for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE})
        EXPECT_TRUE(glIsEnabled(capability)) << capability;
    const std::pair<GLenum, GLint> values[] = {
        {GL_DEPTH_FUNC, GL_LEQUAL},         {GL_BLEND_SRC, GL_SRC_ALPHA},   {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
        {GL_ALPHA_TEST_FUNC, GL_GREATER},   {GL_CULL_FACE_MODE, GL_BACK},   {GL_MATRIX_MODE, GL_MODELVIEW},
    };
    for (auto [name, expected] : values) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, expected) << name;
    }
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_TRUE(clear[0] == 0.5f && clear[3] == 1.0f);
}
