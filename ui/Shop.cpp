#include "ui/Shop.h"

#include "core/System.h"
#include "render/ScreenDraw.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "ui/TextRenderer.h"

namespace {

struct Panel {
    int x, y, width, height, highlight;
};

const Panel kPanels[] = {
    {320, 20, 300, 440, 0},  // right-hand frame
    {75, 400, 170, 60, 0},   // left panel holding the strip
    {325, 30, 290, 40, 1},   {325, 80, 290, 40, 1},  {325, 130, 290, 40, 1}, {325, 180, 290, 40, 1},
    {325, 230, 290, 40, 1},  {325, 280, 290, 40, 1}, {325, 330, 290, 40, 1},
    {325, 410, 290, 40, 1},  // "Play!"
};

}  // namespace

Shop::Shop(const std::string& stripTextureName)
{
    stripTexture = System::Instance().GetTextureManager()->GetTexture(stripTextureName);
}

void Shop::Update(float) {}

void Shop::Draw()
{
    for (const Panel& p : kPanels)
        DrawPanel(p.x, p.y, p.width, p.height, p.highlight);

    TextRenderer& text = TextRenderer::Instance();
    text.Print(330, 50, "Primary weapon", 1, 0);
    text.Print(330, 100, "Secondary weapon", 1, 0);
    text.Print(330, 430, "Play!", 1, 0);

    ScreenDraw::Colour(1.0f, 1.0f, 1.0f);
    if (stripTexture)
        stripTexture->Bind(0);
    const float s = 13.0f / 32.0f;
    for (int i = 0; i < 10; ++i) {
        const float xl = 96.0f + 13.0f * static_cast<float>(i), xr = xl + 13.0f;
        ScreenDraw::Quad({{0, 1, xl, 414}, {0, 0, xl, 446}, {s, 0, xr, 446}, {s, 1, xr, 414}});
    }
    Texture::Unbind(0);
}
