#include "tests/support/GLTestUtil.h"

#include <cstdlib>

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
