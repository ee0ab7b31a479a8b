#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "render/png/Png.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

// Designated initializers leave the other options at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

typedef std::vector<uint8_t> Bytes;

const size_t headerEnd = 8 + 4 + 17 + 4;  // signature and the whole header chunk

// Runs of noise, ramps and flat colour (ties in the Paeth predictor).
Bytes TestPixels(const PngWriteOptions& options, unsigned seed = 1)
{
    std::mt19937 random(seed);
    const size_t rowBytes = PngRowBytes(options);
    Bytes pixels(rowBytes * options.height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const size_t x = i % rowBytes, y = i / rowBytes, kind = (x / 5 + y) % 3;
        pixels[i] = kind == 0 ? uint8_t(random()) : kind == 1 ? uint8_t(x * 7 + y * 3) : 200;
    }
    return pixels;
}

// From memory, or through a file as the game's textures are read (which
// skips unwanted chunks by seeking).
int Decode(const Bytes& file, Bytes* pixels = nullptr, bool fromFile = false)
{
    png_image record{};
    PngMemoryStream memory{file.data(), file.size()};
    const TempDir dir;
    int result = fromFile ? png_open_path(&record, dir.Write("t.png", file).c_str())
                          : png_open(&record, PngReadMemory, &memory);
    Bytes out(result == PNG_OK ? PngOutputSize(&record) : 0);
    if (result == PNG_OK)
        result = png_decode(&record, out.data());
    if (fromFile)
        png_close_path(&record);
    if (pixels)
        *pixels = out;
    return result;
}

void Put32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

Bytes Chunk(const std::string& type, const Bytes& data)
{
    Bytes out;
    Put32(out, uint32_t(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty())  // crc32 with a null buffer restarts at 0
        crc = crc32(crc, data.data(), uInt(data.size()));
    Put32(out, uint32_t(crc));
    return out;
}

// Filtered rows compressed into one data chunk.
Bytes Idat(const Bytes& filtered)
{
    uLongf size = compressBound(uLong(filtered.size()));
    Bytes compressed(size);
    EXPECT_EQ(compress(compressed.data(), &size, filtered.data(), uLong(filtered.size())), Z_OK);
    compressed.resize(size);
    return Chunk("IDAT", compressed);
}

// Signature, a header, `chunks` and (unless left out) the end chunk.
Bytes HandMade(uint32_t width, uint32_t height, int depth, int colorType, const Bytes& chunks, int interlace = 0,
               bool end = true)
{
    Bytes file = {137, 80, 78, 71, 13, 10, 26, 10}, header;
    Put32(header, width);
    Put32(header, height);
    for (int value : {depth, colorType, 0, 0, interlace})
        header.push_back(uint8_t(value));
    for (const Bytes& chunk : {Chunk("IHDR", header), chunks, end ? Chunk("IEND", {}) : Bytes()})
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

Bytes Flipped(Bytes bytes, size_t at)
{
    bytes[at] ^= 0x5a;
    return bytes;
}

// Allocation bookkeeping through png_set_allocator, which is restored when
// the log goes out of scope.
struct AllocationLog {
    static inline int allocations, live, failAt;  // failAt: index of the allocation that fails
    static inline size_t largest;

    explicit AllocationLog(int fail = -1)
    {
        allocations = live = 0, failAt = fail, largest = 0;
        png_set_allocator(
            [](size_t size) -> void* {
                if (allocations++ == failAt)
                    return nullptr;
                largest = std::max(largest, size);
                ++live;
                return std::malloc(size);
            },
            [](void* pointer) {
                live -= pointer != nullptr;
                std::free(pointer);
            });
    }
    ~AllocationLog() { png_set_allocator(nullptr, nullptr); }
};

}  // namespace

// Every colour type and depth, each filter on every row, odd widths, the data
// spread over many chunks after a text chunk with a bad CRC, and text after it.
TEST(Png, DecodesWhatTheReferenceEncoderWrites)
{
    for (int colorType : {0, 2, 4, 6})
        for (int depth : {8, 16})
            for (int filter = 0; filter <= 4; ++filter)
                for (uint32_t width : {1u, 5u, 33u}) {
                    PngWriteOptions options{.width = width, .height = 9, .colorType = colorType, .depth = depth,
                                            .filter = filter, .idatSize = 16, .textBefore = {{"T", "x"}},
                                            .textAfter = {{"Comment", "after the data"}}};
                    Bytes pixels = TestPixels(options, width * 31 + filter), decoded;
                    Bytes file = Flipped(WritePng(options, pixels), headerEnd + 8 + 3);  // the text chunk's CRC
                    EXPECT_EQ(Decode(file, &decoded), PNG_OK);
                    EXPECT_EQ(decoded, pixels) << "colour type " << colorType << ", depth " << depth << ", filter "
                                               << filter << ", width " << width;
                }

    // Paeth's rare tie between up and upper-left (left 110, up 80, upper-left
    // 100) goes to up; random pixels almost never meet it.
    Bytes decoded;
    EXPECT_EQ(Decode(HandMade(2, 2, 8, 0, Idat({0, 100, 80, 4, 110 - 100, 90 - 80})), &decoded), PNG_OK);
    EXPECT_EQ(decoded, (Bytes{100, 80, 110, 90}));
}

// Whatever the failure, everything allocated is released, no allocation is
// large, and a refused header allocates nothing.
TEST(Png, ResultCodes)
{
    const Bytes good = HandMade(1, 3, 8, 0, Idat({0, 1, 0, 2, 0, 3}));
    Bytes lyingData;  // a data chunk claiming 2^31 - 1 bytes
    Put32(lyingData, 0x7fffffffu);
    lyingData.insert(lyingData.end(), {'I', 'D', 'A', 'T', 0x78, 0x9c});
    const struct {
        const char* name;
        Bytes file;
        int expected;
    } cases[] = {
        {"good", good, PNG_OK},
        {"signature damaged", Flipped(good, 1), PNG_HEADER_ERROR},
        {"header CRC", Flipped(good, headerEnd - 1), PNG_CRC_ERROR},
        {"header length 0x5a00000d", Flipped(good, 8), PNG_CRC_ERROR},
        {"data CRC", Flipped(good, good.size() - 13), PNG_CRC_ERROR},
        {"data length beyond the file", HandMade(1, 3, 8, 0, lyingData, 0, false), PNG_FILE_ERROR},
        {"data one byte short", HandMade(1, 3, 8, 0, Idat({0, 1, 0, 2, 0})), PNG_ZLIB_ERROR},
        {"undefined filter 7", HandMade(1, 3, 8, 0, Idat({0, 1, 7, 2, 0, 3})), PNG_FILTER_ERROR},
        {"interlaced", HandMade(1, 1, 8, 2, {}, 1), PNG_NOT_SUPPORTED},  // (a palette: TextureProblems)
        {"depth 4", HandMade(1, 1, 4, 0, {}), PNG_NOT_SUPPORTED},
        {"colour type 5", HandMade(1, 1, 8, 5, {}), PNG_NOT_SUPPORTED},
        {"zero width", HandMade(0, 5, 8, 2, {}), PNG_NOT_SUPPORTED},
        {"side above 16384", HandMade(16385, 1, 8, 0, {}), PNG_NOT_SUPPORTED},
        {"height above 16384", HandMade(1, 16385, 8, 0, {}), PNG_NOT_SUPPORTED},
        {"data above 256 MiB", HandMade(16384, 4096, 8, 6, {}), PNG_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        AllocationLog log;
        CaptureStdout([&] { EXPECT_EQ(Decode(c.file), c.expected) << c.name; });
        EXPECT_EQ(log.live, 0) << c.name;
        EXPECT_LE(log.largest, 64u * 1024) << c.name;
        const bool refused = c.expected == PNG_NOT_SUPPORTED || c.expected == PNG_HEADER_ERROR;
        EXPECT_EQ(refused ? log.allocations : 0, 0) << c.name;
    }
    png_image record{};
    EXPECT_EQ(png_open(&record, nullptr, nullptr), PNG_WRONG_ARGUMENTS);
    EXPECT_EQ(png_open_path(&record, "/nonexistent/missing.png"), PNG_FILE_ERROR);

    // Every failed allocation of a good decode is a clean failure.
    PngWriteOptions options{.width = 300, .height = 200, .colorType = 2, .idatSize = 4096};
    const Bytes file = WritePng(options, TestPixels(options));
    int needed = 0;
    {
        AllocationLog log;
        ASSERT_EQ(Decode(file), PNG_OK);
        needed = log.allocations;  // data, inflater, chunk buffer, zlib's state and window
    }
    ASSERT_GE(needed, 3);
    for (int failAt = 0; failAt < needed; ++failAt) {
        AllocationLog failing(failAt);
        int result = 0;
        CaptureStdout([&] { result = Decode(file); });
        EXPECT_TRUE(result == PNG_MEMORY_ERROR || result == PNG_ZLIB_ERROR) << failAt << ": " << result;
        EXPECT_EQ(failing.live, 0) << failAt;
    }

    // Cut anywhere (down to empty), a file never decodes, read past a long text
    // chunk; only the end chunk's CRC, which is never read, may be missing.
    PngWriteOptions texted{.width = 6, .height = 5, .colorType = 4, .idatSize = 20,
                           .textBefore = {{"Title", std::string(300, 'x')}}};
    const Bytes pixels = TestPixels(texted), whole = WritePng(texted, pixels);
    for (size_t size = 0; size <= whole.size(); ++size) {
        Bytes decoded;
        const int expected = size < headerEnd ? PNG_EOF_ERROR : size + 4 < whole.size() ? PNG_FILE_ERROR : PNG_OK;
        EXPECT_EQ(Decode(Bytes(whole.begin(), whole.begin() + size), &decoded, true), expected) << size;
        EXPECT_EQ(expected == PNG_OK ? decoded : pixels, pixels) << size;
    }
}
