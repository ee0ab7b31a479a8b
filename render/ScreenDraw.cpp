#include "render/ScreenDraw.h"

#include "render/GL.h"

void ScreenDraw::PushOrtho(double left, double right, double bottom, double top)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(left, right, bottom, top, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void ScreenDraw::PopOrtho()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void ScreenDraw::Quad(const ScreenVertex (&corners)[4])
{
    glBegin(GL_QUADS);
    for (const ScreenVertex& v : corners) {
        glTexCoord2f(v.s, v.t);
        glVertex2f(v.x, v.y);
    }
    glEnd();
}

void ScreenDraw::Colour(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
}

void ScreenDraw::Clear()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ScreenDraw::ClearTo(float r, float g, float b, float a)
{
    GLfloat previous[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glClearColor(r, g, b, a);
    Clear();
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
}

void ScreenDraw::UprightQuad(int width, int height)
{
    glLoadIdentity();
    PushOrtho(0.0, width, height, 0.0);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    Quad({{0, 1, 0, 0}, {0, 0, 0, h}, {1, 0, w, h}, {1, 1, w, 0}});
    PopOrtho();
}

void ScreenDraw::FullscreenQuad(int width, int height)
{
    Clear();
    UprightQuad(width, height);
}

void ScreenDraw::FullscreenQuadWithoutDepth(int width, int height)
{
    glClear(GL_COLOR_BUFFER_BIT);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    UprightQuad(width, height);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
}

void ScreenDraw::FullscreenQuadReplacing(int width, int height)
{
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    UprightQuad(width, height);
    glPopAttrib();
}

void ScreenDraw::PartialQuadWithoutDepth(int width, int height, const PixelRect& area)
{
    if (area.IsEmpty() || width <= 0 || height <= 0)
        return;
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    PushOrtho(0.0, width, height, 0.0);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float x0 = static_cast<float>(area.x0), x1 = static_cast<float>(area.x1);
    const float y0 = static_cast<float>(area.y0), y1 = static_cast<float>(area.y1);
    // The full quad's t runs from 0 at the bottom row to 1 at the top, its y
    // from 0 at the top down.
    Quad({{x0 / w, y1 / h, x0, h - y1}, {x0 / w, y0 / h, x0, h - y0}, {x1 / w, y0 / h, x1, h - y0},
          {x1 / w, y1 / h, x1, h - y1}});
    PopOrtho();
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
}

Viewport ScreenDraw::GetViewport()
{
    GLint v[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, v);
    return {v[0], v[1], v[2], v[3]};
}

void ScreenDraw::SetViewport(const Viewport& v)
{
    glViewport(v.x, v.y, v.width, v.height);
}

void ScreenDraw::SetDepthTest(bool on)
{
    if (on)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

void ScreenDraw::SetAdditiveBlend(bool on)
{
    glBlendFunc(GL_SRC_ALPHA, on ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}

unsigned int ScreenDraw::MakeGlyphLists(int count, float advance, void (*cell)(int, ScreenVertex (&)[4]))
{
    const GLuint base = glGenLists(count);
    if (base == 0)
        return 0;
    for (int i = 0; i < count; ++i) {
        ScreenVertex quad[4];
        cell(i, quad);
        glNewList(base + static_cast<GLuint>(i), GL_COMPILE);
        Quad(quad);
        glTranslated(advance, 0.0, 0.0);
        glEndList();
    }
    return base;
}

void ScreenDraw::DeleteLists(unsigned int base, int count)
{
    if (base != 0)
        glDeleteLists(base, count);
}

void ScreenDraw::CallLists(unsigned int base, float x, float y, const unsigned char* bytes, size_t count)
{
    glTranslatef(x, y, 0.0f);
    glListBase(base);
    glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, bytes);
}
