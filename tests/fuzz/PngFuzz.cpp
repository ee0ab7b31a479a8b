// Feeds arbitrary bytes to the PNG reader through its memory stream. Whatever
// the bytes, decoding must stay in bounds and leave nothing allocated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/png/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    PngMemoryStream memory{data, size};
    if (png_open(&image, PngReadMemory, &memory) != PNG_OK)
        return 0;
    // The reader accepts up to 256 MiB of image data; a few MiB keep the
    // fuzzer fast without losing any code path.
    size_t outputSize = PngOutputSize(&image);
    if (outputSize == 0 || outputSize > (size_t(4) << 20))
        return 0;
    std::vector<uint8_t> output(outputSize);
    png_decode(&image, output.data());
    if (image.data || image.inflater)
        std::abort();
    return 0;
}
