#include "render/Texture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Problems.h"
#include "render/GL.h"
#include "render/png/Png.h"

namespace {

int ClampUnit(int unit)
{
    return (unit >= 0 && unit <= 3) ? unit : 0;
}

GLenum FormatFor(int channels)
{
    switch (channels) {
    case 1: return GL_LUMINANCE;
    case 2: return GL_LUMINANCE_ALPHA;
    case 3: return GL_RGB;
    default: return GL_RGBA;
    }
}

}  // namespace

Texture::Texture(unsigned int id_, int width_, int height_) : id(id_), width(width_), height(height_) {}

int Texture::Decode(const std::string& path, TextureImage& image, std::string* why)
{
    image = TextureImage();
    png_image png;
    std::memset(&png, 0, sizeof png);
    int result = png_open_path(&png, path.c_str());
    if (result != PNG_OK) {
        if (png.stream)
            png_close_path(&png);
        if (why)
            *why = png_result_text(result, &png);
        return result;
    }
    std::vector<uint8_t> decoded(PngOutputSize(&png));
    result = png_decode(&png, decoded.data());
    png_close_path(&png);
    if (result != PNG_OK) {
        if (why)
            *why = png_result_text(result);
        return result;
    }

    const int channels = png.bytesPerPixel / (png.depth / 8);
    const int sampleBytes = png.depth / 8;  // 16-bit samples keep their high byte
    const size_t w = png.width, h = png.height;
    const size_t srcRow = w * png.bytesPerPixel;
    const size_t dstRow = w * static_cast<size_t>(channels);
    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    image.channels = channels;
    image.pixels.resize(dstRow * h);
    // The PNG's top row becomes the last row of the texture, so the image
    // shows upright with t = 1 at its top.
    for (size_t row = 0; row < h; ++row) {
        const uint8_t* src = decoded.data() + (h - 1 - row) * srcRow;
        uint8_t* dst = image.pixels.data() + row * dstRow;
        for (size_t i = 0; i < dstRow; ++i)
            dst[i] = src[i * sampleBytes];
    }
    return PNG_OK;
}

TextureImage Texture::Placeholder()
{
    TextureImage image;
    image.width = image.height = 8;
    image.channels = 4;
    image.pixels.resize(8 * 8 * 4);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = &image.pixels[(y * 8 + x) * 4];
            bool magenta = ((x / 2) + (y / 2)) % 2 == 0;
            p[0] = magenta ? 255 : 0;
            p[1] = 0;
            p[2] = magenta ? 255 : 0;
            p[3] = 255;
        }
    }
    return image;
}

Texture::Texture(const std::string& path, bool upload)
{
    TextureImage image;
    std::string why;
    int result = Decode(path, image, &why);
    if (result != PNG_OK) {
        Problems::Load(2, "Could not decode " + path + " (PNG error " + std::to_string(result) + ": " + why +
                              "), using a placeholder");
        image = Placeholder();
    }
    opaque = IsOpaque(image);
    clearBlocks = ClearBlocks(image);
    if (!upload) {
        Set(0, image.width, image.height);
        return;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Rows are tightly packed; RGB rows need not be a multiple of 4 bytes.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLenum format = FormatFor(image.channels);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    Set(name, image.width, image.height);
}

void Texture::Release()
{
    if (id) {
        glDeleteTextures(1, &id);
        id = 0;
    }
}

void Texture::Set(unsigned int id_, int width_, int height_)
{
    id = id_;
    width = width_;
    height = height_;
}

bool Texture::Replace(const TextureImage& image)
{
    if (id == 0 || image.channels != 4 || image.width != width || image.height != height ||
        image.pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return false;
    Bind(0);
    // RGBA rows are whole words, tightly packed under any unpack alignment.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    Unbind(0);
    opaque = IsOpaque(image);
    clearBlocks = ClearBlocks(image);
    return true;
}

void Texture::CopyFromFramebuffer(int x, int y, int copyWidth, int copyHeight)
{
    if (id == 0 || copyWidth <= 0 || copyHeight <= 0)
        return;
    Bind(0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x, y, x, y, copyWidth, copyHeight);
    Unbind(0);
    opaque = false;  // what the framebuffer held is not known here
    clearBlocks.clear();
}

bool Texture::IsOpaque(const TextureImage& image)
{
    if (image.channels != 2 && image.channels != 4)
        return image.channels == 1 || image.channels == 3;
    for (size_t i = image.channels - 1; i < image.pixels.size(); i += image.channels)
        if (image.pixels[i] != 255)
            return false;
    return true;
}

std::vector<bool> Texture::ClearBlocks(const TextureImage& image)
{
    const int w = image.width, h = image.height, channels = image.channels;
    if ((channels != 2 && channels != 4) || w < 1 || h < 1 ||
        image.pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h) * channels)
        return {};
    // The linear filter reads the texels either side of a lookup; two texels
    // of margin also cover a lookup that rounding moves past a block's edge.
    const int reach = 2;
    // Spread each texel with alpha along its row first, then along columns
    // into the blocks.
    std::vector<uint8_t> spread(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (image.pixels[(static_cast<size_t>(y) * w + x) * channels + channels - 1] != 0)
                for (int d = -reach; d <= reach; ++d)
                    spread[static_cast<size_t>(y) * w + ((x + d) % w + w) % w] = 1;
    const int columns = BlockCount(w), rows = BlockCount(h);
    std::vector<bool> clear(static_cast<size_t>(columns) * rows, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!spread[static_cast<size_t>(y) * w + x])
                continue;
            for (int d = -reach; d <= reach; ++d) {
                const int row = ((y + d) % h + h) % h;
                clear[static_cast<size_t>(row / kClearBlock) * columns + x / kClearBlock] = false;
            }
        }
    if (std::find(clear.begin(), clear.end(), true) == clear.end())
        return {};
    return clear;
}

void Texture::Bind(int unit) const
{
    glActiveTextureARB(GL_TEXTURE0_ARB + ClampUnit(unit));
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, id);
}

void Texture::Unbind(int unit)
{
    glActiveTextureARB(GL_TEXTURE0_ARB + ClampUnit(unit));
    glDisable(GL_TEXTURE_2D);
}
