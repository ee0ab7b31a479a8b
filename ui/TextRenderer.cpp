#include "ui/TextRenderer.h"

#include <cstring>

#include "core/System.h"
#include "render/ScreenDraw.h"
#include "render/Texture.h"
#include "render/TextureManager.h"

namespace {

const int kScreenWidth = 640;
const int kScreenHeight = 480;
const int kFirstByte = 32;

void GlyphCell(int i, ScreenVertex (&quad)[4])
{
    const float cell = 1.0f / 16.0f;
    const float s0 = static_cast<float>(i % 16) * cell, s1 = s0 + cell;
    const float top = 1.0f - static_cast<float>(i / 16) * cell, bottom = top - cell;
    const float w = TextRenderer::kGlyphWidth, h = TextRenderer::kGlyphHeight;
    quad[0] = {s0, bottom, 0, 0};
    quad[1] = {s1, bottom, w, 0};
    quad[2] = {s1, top, w, h};
    quad[3] = {s0, top, 0, h};
}

}  // namespace

TextRenderer& TextRenderer::Instance()
{
    static TextRenderer instance;
    return instance;
}

void TextRenderer::FindFont()
{
    fontTexture = System::Instance().GetTextureManager()->GetTexture("font.png");
}

TextRenderer::TextRenderer()
{
    FindFont();
    if (fontTexture)
        fontTexture->Bind(0);
    listBase = ScreenDraw::MakeGlyphLists(kGlyphCount, static_cast<float>(kGlyphWidth), GlyphCell);
    Texture::Unbind(0);
}

TextRenderer::~TextRenderer()
{
    ScreenDraw::DeleteLists(listBase, kGlyphCount);
}

int TextRenderer::AlignedLeft(int x, int length, int horizontalAlign)
{
    if (horizontalAlign == 1)
        return x - (kGlyphWidth * length) / 2;
    if (horizontalAlign == 2)
        return x - kGlyphWidth * length;
    return x;
}

int TextRenderer::AlignedBottom(int y, int verticalAlign)
{
    if (verticalAlign == 1)
        return y + kGlyphHeight / 2;
    if (verticalAlign == 0)
        return y + kGlyphHeight;
    return y;
}

void TextRenderer::Print(int x, int y, const char* text, int verticalAlign, int horizontalAlign)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text ? text : "");
    const size_t n = std::strlen(reinterpret_cast<const char*>(bytes));
    const int left = AlignedLeft(x, static_cast<int>(n), horizontalAlign);
    const int bottom = AlignedBottom(y, verticalAlign);

    ScreenDraw::SetDepthTest(false);
    ScreenDraw::PushOrtho(0.0, kScreenWidth, 0.0, kScreenHeight);
    if (fontTexture)
        fontTexture->Bind(0);
    // Runs of printable bytes, one list call each: a control byte has no
    // glyph and must not reach a list beyond this renderer's 256. Each run
    // continues where the glyphs' own advances left the previous one.
    float runX = static_cast<float>(left), runY = static_cast<float>(kScreenHeight - bottom);
    size_t start = 0;
    while (listBase != 0 && start < n) {
        while (start < n && bytes[start] < kFirstByte)
            ++start;
        size_t end = start;
        while (end < n && bytes[end] >= kFirstByte)
            ++end;
        if (end > start) {
            ScreenDraw::CallLists(listBase - kFirstByte, runX, runY, bytes + start, end - start);
            runX = runY = 0.0f;
        }
        start = end;
    }
    Texture::Unbind(0);
    ScreenDraw::PopOrtho();
    ScreenDraw::SetDepthTest(true);
}
