// Builds greyscale heightmap files in the TGA layout the board reads.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

inline std::vector<unsigned char> TgaHeader(int width, int height, int imageType = 3, int bitsPerPixel = 8)
{
    using B = unsigned char;
    return {0, 0, B(imageType), 0, 0, 0, 0, 0, 0, 0, 0, 0, B(width & 0xff), B(width >> 8), B(height & 0xff),
            B(height >> 8), B(bitsPerPixel), 0};
}

// `pixel(x, z)` gives the grey level of column x of row z.
inline std::vector<unsigned char> MakeTga(int width, int height, const std::function<int(int, int)>& pixel)
{
    std::vector<unsigned char> bytes = TgaHeader(width, height);
    for (int z = 0; z < height; ++z)
        for (int x = 0; x < width; ++x)
            bytes.push_back(static_cast<unsigned char>(pixel(x, z)));
    return bytes;
}
