#include "scene/Heightmap.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const uint8_t kHeader[12] = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const size_t kHeaderSize = 18;

// The two triangles of a grid cell as (row offset, column offset) corners.
const int kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}};

}  // namespace

bool Heightmap::Load(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        problem = std::string("cannot be opened: ") + strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    fclose(file);
    return Decode(bytes.data(), bytes.size());
}

bool Heightmap::Decode(const uint8_t* bytes, size_t size)
{
    width = height = 0;
    pixels.clear();
    problem.clear();
    if (size < kHeaderSize || memcmp(bytes, kHeader, sizeof kHeader) != 0) {
        problem = "is not an uncompressed 8-bit greyscale TGA image (type 3, no colour map, no identification field)";
        return false;
    }
    const int w = bytes[12] | (bytes[13] << 8);
    const int h = bytes[14] | (bytes[15] << 8);
    const int bitsPerPixel = bytes[16];
    if (w < 1 || h < 1 || bitsPerPixel != 8) {
        problem = "has a size of " + std::to_string(w) + " x " + std::to_string(h) + " at " +
                  std::to_string(bitsPerPixel) + " bits per pixel; it needs at least 1 x 1 at 8";
        return false;
    }
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (size - kHeaderSize < count) {
        problem = "ends after " + std::to_string(size - kHeaderSize) + " of its " + std::to_string(count) +
                  " pixels";
        return false;
    }
    width = w;
    height = h;
    pixels.assign(bytes + kHeaderSize, bytes + kHeaderSize + count);
    return true;
}

void Heightmap::BuildGrid(std::vector<float>& positions, std::vector<float>& normals) const
{
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    positions.assign(count * 3, 0.0f);
    normals.assign(count * 3, 0.0f);
    for (int z = 0; z < height; ++z) {
        for (int x = 0; x < width; ++x) {
            float* p = &positions[(static_cast<size_t>(z) * width + x) * 3];
            p[0] = static_cast<float>(x - width / 2) * kGridSpacing;
            p[1] = Pixel(x, z) * kHeightScale;
            p[2] = static_cast<float>(z) * kGridSpacing;
        }
    }
    for (int z = 0; z + 1 < height; ++z) {
        for (int x = 0; x + 1 < width; ++x) {
            for (int t = 0; t < 2; ++t) {
                size_t v[3];
                for (int k = 0; k < 3; ++k)
                    v[k] = static_cast<size_t>(z + kCorners[t * 3 + k][0]) * width + (x + kCorners[t * 3 + k][1]);
                const float* p1 = &positions[v[0] * 3];
                const float* p2 = &positions[v[1] * 3];
                const float* p3 = &positions[v[2] * 3];
                const float e1[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
                const float e2[3] = {p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
                float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                              e1[0] * e2[1] - e1[1] * e2[0]};
                // Grid cells always have area, so the length is never zero.
                const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                for (float& c : n)
                    c /= length;
                for (size_t vertex : v) {
                    normals[vertex * 3] += n[0];
                    normals[vertex * 3 + 1] += n[1];
                    normals[vertex * 3 + 2] += n[2];
                }
            }
        }
    }
}
