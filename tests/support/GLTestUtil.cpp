#include "tests/support/GLTestUtil.h"

#include <cstdlib>
#include <utility>

#include <gtest/gtest.h>

#include "core/System.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"

Rgba ReadPixel(int x, int y)
{
    Rgba pixel{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

void ResetGLState()
{
    if (glBindFramebufferEXT)
        FramebufferObject::Unbind();
    System::OnResize(640, 480);
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glColor4f(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

bool Near(const Rgba& a, const Rgba& b, int tolerance)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(int(a[i]) - int(b[i])) > tolerance)
            return false;
    return true;
}

int Differences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += std::abs(a[i] - b[i]) > tolerance;
    return count;
}

unsigned MakeSolidTexture(const Rgba& colour)
{
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colour.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

Rgba TexturePixel(unsigned texture, int width, int height, int x, int y)
{
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

std::vector<uint8_t> ReadWindow()
{
    std::vector<uint8_t> pixels(640 * 480 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void ExpectDrawStateRestored()
{
    const std::pair<GLenum, GLint> values[] = {
        {GL_CLIENT_ACTIVE_TEXTURE, GL_TEXTURE0}, {GL_ACTIVE_TEXTURE, GL_TEXTURE0}, {GL_ARRAY_BUFFER_BINDING, 0},
        {GL_ELEMENT_ARRAY_BUFFER_BINDING, 0},    {GL_MODELVIEW_STACK_DEPTH, 1},
    };
    for (auto [name, expected] : values) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, expected) << name;
    }
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY})
        EXPECT_FALSE(glIsEnabled(array)) << array;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_BLEND));
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0 + unit);
        glClientActiveTextureARB(GL_TEXTURE0 + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit;
    }
    glActiveTextureARB(GL_TEXTURE0);
    glClientActiveTextureARB(GL_TEXTURE0);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f && colour[3] == 1.0f);
}
