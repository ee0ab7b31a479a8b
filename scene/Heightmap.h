// An 8-bit greyscale heightmap in the uncompressed TGA layout (image type 3,
// no identification field, no colour map, 8 bits per pixel), and the terrain
// grid built from it. Row r of the image is terrain row z = r; pixel x of a
// row is column x. No GL: the Board turns the grid into drawable chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Heightmap {
public:
    static constexpr float kGridSpacing = 23.0f;
    static constexpr float kHeightScale = 23.0f / 10.0f;

    virtual ~Heightmap() = default;

    // False when the file cannot be read or is not such an image.
    bool Load(const std::string& path);
    // The same over the file's bytes; every size is checked before reading.
    // Bytes after the pixels are ignored.
    bool Decode(const uint8_t* bytes, size_t size);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // Why the last Load or Decode failed, in words; empty after a success.
    const std::string& GetProblem() const { return problem; }
    uint8_t Pixel(int x, int z) const { return pixels[static_cast<size_t>(z) * width + x]; }

    // Vertex z * W + x at ((x - W / 2) * 23, pixel * 2.3, z * 23); normals are
    // the sums of the unit face normals of the triangles around each vertex
    // (not yet normalised), computed over the whole grid.
    void BuildGrid(std::vector<float>& positions, std::vector<float>& normals) const;

private:
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    std::string problem;
};
