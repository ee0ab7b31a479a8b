// Single lines of 8-bit text in screen pixels with the bitmap font
// "font.png": a 16 x 16 grid of glyph cells starting with the space, each
// drawn as a 16 x 24 quad from one of 256 display lists. One per process,
// made by the first Instance() call (after the textures are loaded, with the
// GL context current) and destroyed at exit.
//
// Print draws in the current colour, without depth test, and leaves the
// matrices as it found them, the depth test enabled and unit 0 with 2D
// texturing disabled. Bytes below 32 have no glyph and draw nothing.
#pragma once

#include <string>

class Texture;

class TextRenderer {
public:
    static constexpr int kGlyphWidth = 16;
    static constexpr int kGlyphHeight = 24;
    static constexpr int kGlyphCount = 256;

    static TextRenderer& Instance();
    virtual ~TextRenderer();

    // Looks "font.png" up again: after the textures were reloaded the old
    // one is gone.
    void FindFont();

    // x, y: pixels from the top-left of the 640 x 480 screen. horizontalAlign
    // 1 centres on x, 2 ends at x, else starts at x; verticalAlign 0 puts
    // the top at y, 1 centres on y, else puts the bottom at y.
    void Print(int x, int y, const char* text, int verticalAlign, int horizontalAlign);

    // The text's left edge and bottom row for Print's alignments.
    static int AlignedLeft(int x, int length, int horizontalAlign);
    static int AlignedBottom(int y, int verticalAlign);

private:
    TextRenderer();

    Texture* fontTexture = nullptr;
    unsigned int listBase = 0;
};
