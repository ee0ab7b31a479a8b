// Encodes PNG files in memory with the system's reference PNG library, so
// tests and benchmarks can make images of any kind at run time. The reference
// library's header stays inside PngWriter.cpp: it defines its own png_image,
// which would clash with the game's reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct PngWriteOptions {
    uint32_t width = 1;
    uint32_t height = 1;
    int colorType = 6;         // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int depth = 8;             // bits per sample
    int filter = -1;           // -1: the library's adaptive choice; 0..4: that filter on every row
    size_t idatSize = 0;       // when set, image data goes out in chunks of at most this many bytes (>= 6)
    // tEXt chunks (keyword, text) written before and after the image data.
    std::vector<std::pair<std::string, std::string>> textBefore;
    std::vector<std::pair<std::string, std::string>> textAfter;
};

// Bytes of one packed row: width * channels * depth bits, rounded up.
size_t PngRowBytes(const PngWriteOptions& options);

// `pixels` holds height rows of PngRowBytes bytes, top row first, 16-bit
// samples high byte first, palette images as indices into a 256-entry grey
// ramp. Returns the encoded file, or an empty vector if the library refused.
std::vector<uint8_t> WritePng(const PngWriteOptions& options, const std::vector<uint8_t>& pixels);
