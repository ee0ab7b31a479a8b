// Feeds arbitrary bytes to the PNG reader through its memory stream. Whatever
// the bytes, decoding must stay in bounds and leave nothing allocated.
//
// Each input is decoded as it is and, when that differs, once more with every
// chunk's CRC made to match: random mutations almost never keep a CRC right,
// and without the second pass the inflater and the filters would only ever
// see the seed files' own data.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/png/Png.h"

namespace {

void Decode(const uint8_t* data, size_t size)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    PngMemoryStream memory{data, size};
    if (png_open(&image, PngReadMemory, &memory) != PNG_OK)
        return;
    // The reader accepts up to 256 MiB of image data; a few MiB keep the
    // fuzzer fast without losing any code path.
    size_t outputSize = PngOutputSize(&image);
    if (outputSize == 0 || outputSize > (size_t(4) << 20))
        return;
    std::vector<uint8_t> output(outputSize);
    png_decode(&image, output.data());
    if (image.data || image.inflater)
        std::abort();
}

uint32_t BigEndian32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Rewrites the CRC of every complete chunk after the signature; returns
// whether anything changed.
bool FixCrcs(std::vector<uint8_t>& file)
{
    bool changed = false;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        uint32_t length = BigEndian32(&file[at]);
        if (length > file.size() - at - 12)
            break;
        uint32_t crc = uint32_t(crc32(0, &file[at + 4], uInt(length + 4)));
        uint8_t* stored = &file[at + 8 + length];
        if (BigEndian32(stored) != crc) {
            for (int i = 0; i < 4; ++i)
                stored[i] = uint8_t(crc >> (24 - 8 * i));
            changed = true;
        }
        at += 12 + size_t(length);
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Decode(data, size);
    std::vector<uint8_t> fixed(data, data + size);
    if (FixCrcs(fixed))
        Decode(fixed.data(), fixed.size());
    return 0;
}
