// Builds greyscale heightmap files in the TGA layout the board reads.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

inline std::vector<unsigned char> TgaHeader(int width, int height, int imageType = 3, int bitsPerPixel = 8)
{
    std::vector<unsigned char> bytes = {0, 0, static_cast<unsigned char>(imageType), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes.push_back(static_cast<unsigned char>(width & 0xff));
    bytes.push_back(static_cast<unsigned char>(width >> 8));
    bytes.push_back(static_cast<unsigned char>(height & 0xff));
    bytes.push_back(static_cast<unsigned char>(height >> 8));
    bytes.push_back(static_cast<unsigned char>(bitsPerPixel));
    bytes.push_back(0);
    return bytes;
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
