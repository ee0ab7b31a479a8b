#include "ui/GUI.h"

#include "core/System.h"
#include "render/ScreenDraw.h"
#include "render/Texture.h"
#include "render/TextureManager.h"

GUI::GUI()
{
    cornerTexture = System::Instance().GetTextureManager()->GetTexture("gui-corner.png");
}

GUI::~GUI() = default;

void GUI::Render()
{
    ScreenDraw::PushOrtho(0.0, kWidth, kHeight, 0.0);
    Draw();
    ScreenDraw::PopOrtho();
}

void GUI::DrawPanel(int x, int y, int width, int height, int highlight)
{
    if (highlight == 1)
        ScreenDraw::Colour(0.8f, 0.7f, 0.3f, 0.7f);
    else
        ScreenDraw::Colour(0.7f, 0.7f, 0.7f, 0.7f);

    const float x0 = static_cast<float>(x), y0 = static_cast<float>(y);
    const float x1 = x0 + kCorner, x2 = x0 + static_cast<float>(width - kCorner), x3 = x0 + static_cast<float>(width);
    const float y1 = y0 + kCorner, y2 = y0 + static_cast<float>(height - kCorner), y3 = y0 + static_cast<float>(height);

    // The corner image is mirrored into each corner so that its (0, 1) texel
    // lies at the panel's outer corner.
    if (cornerTexture)
        cornerTexture->Bind(0);
    ScreenDraw::Quad({{0, 1, x0, y0}, {0, 0, x0, y1}, {1, 0, x1, y1}, {1, 1, x1, y0}});
    ScreenDraw::Quad({{1, 1, x2, y0}, {1, 0, x2, y1}, {0, 0, x3, y1}, {0, 1, x3, y0}});
    ScreenDraw::Quad({{0, 0, x0, y2}, {0, 1, x0, y3}, {1, 1, x1, y3}, {1, 0, x1, y2}});
    ScreenDraw::Quad({{1, 0, x2, y2}, {1, 1, x2, y3}, {0, 1, x3, y3}, {0, 0, x3, y2}});
    Texture::Unbind(0);

    ScreenDraw::Quad({{0, 0, x0, y1}, {0, 0, x0, y2}, {0, 0, x3, y2}, {0, 0, x3, y1}});
    ScreenDraw::Quad({{0, 0, x1, y0}, {0, 0, x1, y1}, {0, 0, x2, y1}, {0, 0, x2, y0}});
    ScreenDraw::Quad({{0, 0, x1, y2}, {0, 0, x1, y3}, {0, 0, x2, y3}, {0, 0, x2, y2}});
    ScreenDraw::Colour(1.0f, 1.0f, 1.0f, 1.0f);
}
