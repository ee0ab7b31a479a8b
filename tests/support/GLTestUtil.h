// Helpers for GL tests: reading pixels back and checking the GL state contract
// that every drawing pass must restore.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

using Rgba = std::array<uint8_t, 4>;

// The pixel at window (x, y), y counted from the bottom as GL does.
Rgba ReadPixel(int x, int y);
// Resets the start-up GL state and matrices between tests.
void ResetGLState();
// True when each channel differs by at most `tolerance`.
bool Near(const Rgba& a, const Rgba& b, int tolerance = 2);
// How many channels of two pictures differ by more than `tolerance`.
int Differences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int tolerance = 1);
// A 1 x 1 texture of one colour with nearest filtering; returns its GL name.
unsigned MakeSolidTexture(const Rgba& colour);
// Texel (x, y) of a width-wide texture, row 0 at t = 0.
Rgba TexturePixel(unsigned texture, int width, int height, int x, int y);
// The whole 640 x 480 window, RGBA rows from the bottom.
std::vector<uint8_t> ReadWindow();
// What every drawing pass leaves: unit 0 selected on both sides, no unit
// textured or with coordinates, no arrays, buffers or program bound, the depth
// test and blending on, one model-view matrix and an opaque white colour.
void ExpectDrawStateRestored();
