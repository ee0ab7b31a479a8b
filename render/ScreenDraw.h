// The few GL operations that the full-screen effects and the 2D screens need:
// pixel-coordinate projections, plain and textured quads, clears, the viewport,
// the depth test and additive blending, and the display lists of the bitmap
// font. Effects and screens draw through these so they hold no GL of their own.
// Every function leaves the matrix mode at model-view.
#pragma once

#include <cstddef>

struct ScreenVertex {
    float s, t;  // texture coordinate
    float x, y;  // position in the current coordinates
};

struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
};

// Window pixels [x0, x1) x [y0, y1), rows counted from the bottom as GL counts them.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool IsEmpty() const { return x1 <= x0 || y1 <= y0; }
    bool Contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
    PixelRect Grown(int dx, int dy) const
    {
        return IsEmpty() ? *this : PixelRect{x0 - dx, y0 - dy, x1 + dx, y1 + dy};
    }
    PixelRect Within(const PixelRect& r) const
    {
        PixelRect c{x0 > r.x0 ? x0 : r.x0, y0 > r.y0 ? y0 : r.y0, x1 < r.x1 ? x1 : r.x1, y1 < r.y1 ? y1 : r.y1};
        return c.IsEmpty() ? PixelRect{} : c;
    }
};

class ScreenDraw {
public:
    // Push the projection and load glOrtho(left, right, bottom, top, -1, 1);
    // push the model-view matrix and load the identity.
    static void PushOrtho(double left, double right, double bottom, double top);
    // Pop the projection, then the model-view matrix.
    static void PopOrtho();

    static void Quad(const ScreenVertex (&corners)[4]);
    static void Colour(float r, float g, float b, float a = 1.0f);

    // Clears colour and depth of whatever is bound.
    static void Clear();
    // Clears colour (to this colour) and depth, then puts the previous clear
    // colour back.
    static void ClearTo(float r, float g, float b, float a);

    // The full-screen pass of the effects: clears, loads the identity into
    // the model-view matrix, and draws one quad over width x height pixels
    // with the texture upright (its t = 1 row at the top). The model-view
    // matrix is the identity afterwards.
    static void FullscreenQuad(int width, int height);
    // The same pass into an off-screen target whose depth nothing reads
    // before its next clear: clears colour only and draws with the depth
    // test off. The quad covers every pixel once, at a depth that a cleared
    // buffer lets through, so the colours are FullscreenQuad's; only the
    // depth buffer is left as it was.
    static void FullscreenQuadWithoutDepth(int width, int height);
    // The full-screen quad for passes whose output is data, not colour:
    // nothing cleared, and with the depth test, blending and the alpha test
    // off, so that every pixel takes exactly what the shader wrote, alpha
    // included. The enables are as they were afterwards.
    static void FullscreenQuadReplacing(int width, int height);
    // The pixels of `area` alone of the full-screen quad over width x height,
    // with the texture coordinates that quad gives them: nothing cleared,
    // depth test off (as it was again afterwards). The model-view matrix is
    // the identity afterwards.
    static void PartialQuadWithoutDepth(int width, int height, const PixelRect& area);

    static Viewport GetViewport();
    static void SetViewport(const Viewport& viewport);

    static void SetDepthTest(bool on);
    // Additive (source alpha, one) or the start-up (source alpha, one minus
    // source alpha) blend function.
    static void SetAdditiveBlend(bool on);

    // Display lists for glyphs: a block of `count` names (0 when none could
    // be made), each compiled from one quad followed by an advance of
    // `advance` pixels along x.
    static unsigned int MakeGlyphLists(int count, float advance, void (*cell)(int index, ScreenVertex (&quad)[4]));
    static void DeleteLists(unsigned int base, int count);
    // Translates by (x, y) and calls lists base + byte for each byte.
    static void CallLists(unsigned int base, float x, float y, const unsigned char* bytes, size_t count);

private:
    // The identity model-view, then one quad over width x height pixels with
    // the texture upright; nothing else changed.
    static void UprightQuad(int width, int height);
};
