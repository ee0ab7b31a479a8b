// Base of the 2D screens drawn over the 3D picture. Render sets up GUI
// coordinates (pixels of the 640 x 480 screen, origin top-left, y downwards)
// in the current viewport, calls Draw, and restores both matrices, leaving
// the model-view mode current; depth test, blending and alpha test stay as at
// start-up. DrawPanel is the one primitive: a translucent panel with rounded
// corners from "gui-corner.png".
#pragma once

class Texture;

class GUI {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kCorner = 16;

    GUI();
    virtual ~GUI();

    virtual void Draw() = 0;
    virtual void Update(float dt) = 0;
    // Highlight 1 gives the warm highlight colour, anything else grey. Leaves
    // the colour at opaque white and unit 0 with 2D texturing disabled.
    virtual void DrawPanel(int x, int y, int width, int height, int highlight);

    void Render();

protected:
    Texture* cornerTexture = nullptr;
};
