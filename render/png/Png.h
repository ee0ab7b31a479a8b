// A small PNG reader for the game's textures: non-palette, non-interlaced
// images of 8 or 16 bits per sample, delivered as tightly packed rows, top row
// first, with no conversion. Plain procedural code with integer result codes.
//
// Per image: zero the record, png_open_path (or png_open), allocate
// PngOutputSize(image) bytes, png_decode, png_close_path.
//
// 16-bit samples are delivered as stored in the file: high byte first.
//
// Whatever the bytes, the reader stays inside its buffers and releases every
// allocation before returning. png_open refuses with PNG_NOT_SUPPORTED, before
// anything is allocated, a header it cannot decode safely: palette, interlaced
// or sub-8-bit images, an unknown colour type, a zero width or height, a width
// or height above PNG_MAX_DIMENSION, or filtered data above PNG_MAX_DATA bytes.
// Image data that inflates to fewer bytes than the header promises is a zlib
// error, never a partly filled image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

typedef struct z_stream_s z_stream;

// Result codes.
enum {
    PNG_DONE = 1,
    PNG_OK = 0,
    PNG_FILE_ERROR = -1,
    PNG_HEADER_ERROR = -2,
    PNG_EOF_ERROR = -4,
    PNG_CRC_ERROR = -5,
    PNG_MEMORY_ERROR = -6,
    PNG_ZLIB_ERROR = -7,
    PNG_FILTER_ERROR = -8,
    PNG_NOT_SUPPORTED = -9,
    PNG_WRONG_ARGUMENTS = -10,
};

// Largest width or height accepted, and largest filtered data
// (width * height * bytesPerPixel + height) accepted, in bytes.
constexpr uint32_t PNG_MAX_DIMENSION = 16384;
constexpr size_t PNG_MAX_DATA = size_t(256) << 20;

// Reads `count` items of `size` bytes into `buffer` (or skips them when the
// buffer is null); returns the number of whole items read, like fread.
typedef size_t (*png_read_function)(void* buffer, size_t size, size_t count, void* stream);
typedef void* (*png_alloc_function)(size_t size);
typedef void (*png_free_function)(void* pointer);

struct png_image {
    z_stream* inflater;
    png_read_function readFunction;
    void* writeFunction;   // always null: the reader only reads
    void* stream;          // FILE* or the read function's user pointer
    uint8_t* data;         // inflated, still filtered rows, owned while decoding
    size_t dataLength;     // width * height * bytesPerPixel + height
    uint32_t width;
    uint32_t height;
    uint8_t depth;
    uint8_t colorType;
    uint8_t compressionMethod;
    uint8_t filterMethod;
    uint8_t interlaceMethod;
    uint8_t bytesPerPixel;
};

// Null selects the standard allocator or release function. Returns 0.
int png_set_allocator(png_alloc_function allocate, png_free_function release);

int png_open_path(png_image* image, const char* path);
int png_open(png_image* image, png_read_function readFunction, void* stream);
// `output` must hold PngOutputSize(image) bytes.
int png_decode(png_image* image, uint8_t* output);
int png_close_path(png_image* image);

// What a result code means, in words a modder can act on. For
// PNG_NOT_SUPPORTED, pass the opened record to learn which limit it broke.
const char* png_result_text(int code, const png_image* image = nullptr);

// Bytes needed for the decoded image of an opened record; 0 when its header
// was refused.
size_t PngOutputSize(const png_image* image);

// An image held in memory, read through png_open's read function:
//   PngMemoryStream memory{bytes, size};
//   png_open(&image, PngReadMemory, &memory);
struct PngMemoryStream {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;
};
size_t PngReadMemory(void* buffer, size_t size, size_t count, void* stream);
