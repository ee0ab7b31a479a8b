// One 2D GL texture with its size: decoded from a PNG file and uploaded, or
// wrapped around a texture that a FramebufferObject made. The owner calls
// Release before deleting; the destructor leaves the GL name alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels ready for upload: 8 bits per sample, rows bottom-up (so t = 1 is the
// image's top row), `channels` of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA).
struct TextureImage {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
};

class Texture {
public:
    explicit Texture(unsigned int id = 0, int width = 0, int height = 0);
    // Decodes and uploads the PNG; an undecodable file becomes a small
    // checkerboard and one console line names it. Needs a GL context.
    explicit Texture(const std::string& path, bool upload = true);
    virtual ~Texture() = default;
    virtual void Release();

    void Set(unsigned int id, int width, int height);
    // Replaces level 0 with an RGBA image of the texture's own size; false,
    // changing nothing, for any other image. Leaves the texture bound to
    // unit 0 with 2D texturing disabled there.
    bool Replace(const TextureImage& image);
    // Copies the bound framebuffer's pixels x, y (from the bottom left) to
    // x + width, y + height into the same texels of level 0. Leaves the
    // texture bound to unit 0 with 2D texturing disabled there.
    void CopyFromFramebuffer(int x, int y, int width, int height);
    // Units 0 to 3; anything else means unit 0. Leaves the unit active.
    void Bind(int unit) const;
    static void Unbind(int unit);

    unsigned int GetId() const { return id; }
    // Every texel fully opaque, as decoded or last replaced; false for a
    // texture wrapped around a name, whose pixels are not known here.
    bool IsOpaque() const { return opaque; }
    static bool IsOpaque(const TextureImage& image);

    // The texture in square blocks of kClearBlock texels from the bottom
    // left, row by row: true for a block where a linearly filtered lookup
    // cannot give any alpha, since no texel within two of it (wrapping round
    // the edges) has any. Lets a large, mostly clear texture be drawn only
    // where it shows. Empty when nothing is known or no block is clear.
    static constexpr int kClearBlock = 8;
    static std::vector<bool> ClearBlocks(const TextureImage& image);
    const std::vector<bool>& GetClearBlocks() const { return clearBlocks; }
    static int BlockCount(int texels) { return (texels + kClearBlock - 1) / kClearBlock; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

    // Decodes a PNG file into upload-ready pixels. Returns the reader's result
    // code (0 on success); on failure `image` is left empty and `why`, when
    // given, says what is wrong in words. No GL needed.
    static int Decode(const std::string& path, TextureImage& image, std::string* why = nullptr);
    // The visible stand-in for an image that cannot be decoded.
    static TextureImage Placeholder();

private:
    unsigned int id = 0;
    int width = 0;
    int height = 0;
    bool opaque = false;
    std::vector<bool> clearBlocks;
};
