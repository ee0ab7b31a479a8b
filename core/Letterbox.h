// Where a picture of fixed size lands in a framebuffer of another size: scaled
// to the largest size that fits with its proportions kept, centred, the rest
// left to black bars. Plain arithmetic; the System applies it to GL.
#pragma once

struct Letterbox {
    // In framebuffer pixels, y counted from the bottom as GL counts.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // Sizes below 1 count as 1, so the result is always a valid viewport.
    static Letterbox Fit(int outerWidth, int outerHeight, int pictureWidth, int pictureHeight);
    // True when there are no bars in an outer framebuffer of this size.
    bool Covers(int outerWidth, int outerHeight) const
    {
        return x <= 0 && y <= 0 && width >= outerWidth && height >= outerHeight;
    }
};
