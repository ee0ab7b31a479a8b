// Decodes a PNG held in memory with the system's reference PNG library, as the
// baseline that the game's reader is measured against. The library's header
// stays in the .cpp: its png_image clashes with the game's reader.
#pragma once

#include <cstdint>
#include <vector>

// Decodes `file` into `pixels` (tightly packed rows, top row first, samples
// as stored). Returns false if the library reports an error.
bool DecodeWithLibpng(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels);
