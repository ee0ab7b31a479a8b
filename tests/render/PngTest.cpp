#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "render/Texture.h"
#include "render/png/Png.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TestFiles.h"

namespace {

typedef std::vector<uint8_t> Bytes;

const size_t headerEnd = 8 + 4 + 17 + 4;  // signature and the whole header chunk

// Runs of noise, ramps and flat colour (ties in the Paeth predictor).
Bytes TestPixels(const PngWriteOptions& options, unsigned seed = 1)
{
    std::mt19937 random(seed);
    size_t rowBytes = PngRowBytes(options);
    Bytes pixels(rowBytes * options.height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        size_t x = i % rowBytes, y = i / rowBytes;
        int kind = (x / 5 + y) % 3;
        pixels[i] = kind == 0 ? uint8_t(random()) : kind == 1 ? uint8_t(x * 7 + y * 3) : 200;
    }
    return pixels;
}

PngWriteOptions Options(uint32_t width, uint32_t height, int colorType = 6, int depth = 8, int filter = -1)
{
    PngWriteOptions options;
    options.width = width;
    options.height = height;
    options.colorType = colorType;
    options.depth = depth;
    options.filter = filter;
    return options;
}

int Decode(const Bytes& file, Bytes* pixels = nullptr)
{
    png_image record{};
    PngMemoryStream memory{file.data(), file.size()};
    int result = png_open(&record, PngReadMemory, &memory);
    if (result == PNG_OK) {
        Bytes out(PngOutputSize(&record));
        result = png_decode(&record, out.data());
        if (pixels)
            *pixels = out;
    }
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

Bytes HeaderData(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0)
{
    Bytes data;
    Put32(data, width);
    Put32(data, height);
    for (int value : {depth, colorType, 0, 0, interlace})
        data.push_back(uint8_t(value));
    return data;
}

// Signature, header, the given chunks and (unless left out) the end chunk.
Bytes HandMade(const Bytes& header, const std::vector<Bytes>& chunks, bool end = true)
{
    Bytes file = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<Bytes> all = {Chunk("IHDR", header)};
    all.insert(all.end(), chunks.begin(), chunks.end());
    if (end)
        all.push_back(Chunk("IEND", {}));
    for (const Bytes& chunk : all)
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

// Filtered rows compressed into one data chunk.
std::vector<Bytes> DataChunks(const Bytes& filtered)
{
    uLongf size = compressBound(uLong(filtered.size()));
    Bytes compressed(size);
    EXPECT_EQ(compress(compressed.data(), &size, filtered.data(), uLong(filtered.size())), Z_OK);
    compressed.resize(size);
    return {Chunk("IDAT", compressed)};
}

Bytes Flipped(Bytes bytes, size_t at)
{
    bytes[at] ^= 0x5a;
    return bytes;
}

// Allocation bookkeeping through png_set_allocator; restores the standard
// pair when the test ends.
struct AllocationLog {
    static inline int allocations = 0, live = 0, failAt = -1;  // failAt: index of the allocation that fails
    static inline size_t largest = 0;

    AllocationLog()
    {
        allocations = live = 0;
        failAt = -1;
        largest = 0;
        png_set_allocator(Allocate, Release);
    }
    ~AllocationLog() { png_set_allocator(nullptr, nullptr); }

    static void* Allocate(size_t size)
    {
        if (allocations++ == failAt)
            return nullptr;
        largest = std::max(largest, size);
        ++live;
        return std::malloc(size);
    }
    static void Release(void* pointer)
    {
        live -= pointer != nullptr;
        std::free(pointer);
    }
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
                    PngWriteOptions options = Options(width, 9, colorType, depth, filter);
                    options.idatSize = 16;
                    options.textBefore = {{"T", "x"}};
                    options.textAfter = {{"Comment", "after the data"}};
                    Bytes pixels = TestPixels(options, width * 31 + filter), decoded;
                    Bytes file = Flipped(WritePng(options, pixels), headerEnd + 8 + 3);  // the text chunk's CRC
                    EXPECT_EQ(Decode(file, &decoded), PNG_OK);
                    EXPECT_EQ(decoded, pixels) << "colour type " << colorType << ", depth " << depth << ", filter "
                                               << filter << ", width " << width;
                }
}

// Paeth's rare tie between up and upper-left (left 110, up 80, upper-left
// 100) goes to up; random pixels almost never meet it.
TEST(Png, PaethTieGoesToUp)
{
    const Bytes rows = {0, 100, 80, 4, 110 - 100, 90 - 80}, expected = {100, 80, 110, 90};
    Bytes decoded;
    EXPECT_EQ(Decode(HandMade(HeaderData(2, 2, 8, 0), DataChunks(rows)), &decoded), PNG_OK);
    EXPECT_EQ(decoded, expected);
}

// Whatever the failure, everything allocated is released, no allocation is
// large, and a refused header allocates nothing.
TEST(Png, ResultCodes)
{
    const Bytes grey = HeaderData(1, 3, 8, 0), rows = {0, 1, 0, 2, 0, 3};
    const Bytes good = HandMade(grey, DataChunks(rows));
    Bytes lyingData;  // a data chunk claiming 2^31 - 1 bytes
    Put32(lyingData, 0x7fffffffu);
    lyingData.insert(lyingData.end(), {'I', 'D', 'A', 'T', 0x78, 0x9c});
    const struct {
        const char* name;
        Bytes file;
        int expected;
    } cases[] = {
        {"good", good, PNG_OK},
        {"empty", {}, PNG_EOF_ERROR},
        {"signature damaged", Flipped(good, 1), PNG_HEADER_ERROR},
        {"header CRC", Flipped(good, headerEnd - 1), PNG_CRC_ERROR},
        {"header length 0x5a00000d", Flipped(good, 8), PNG_CRC_ERROR},
        {"data CRC", Flipped(good, good.size() - 13), PNG_CRC_ERROR},
        {"data length beyond the file", HandMade(grey, {lyingData}, false), PNG_FILE_ERROR},
        {"data one byte short", HandMade(grey, DataChunks({0, 1, 0, 2, 0})), PNG_ZLIB_ERROR},
        {"undefined filter 7", HandMade(grey, DataChunks({0, 1, 7, 2, 0, 3})), PNG_FILTER_ERROR},
        {"palette", HandMade(HeaderData(1, 1, 8, 3), {}), PNG_NOT_SUPPORTED},
        {"interlaced", HandMade(HeaderData(1, 1, 8, 2, 1), {}), PNG_NOT_SUPPORTED},
        {"depth 4", HandMade(HeaderData(1, 1, 4, 0), {}), PNG_NOT_SUPPORTED},
        {"colour type 5", HandMade(HeaderData(1, 1, 8, 5), {}), PNG_NOT_SUPPORTED},
        {"zero width", HandMade(HeaderData(0, 5, 8, 2), {}), PNG_NOT_SUPPORTED},
        {"side above 16384", HandMade(HeaderData(16385, 1, 8, 0), {}), PNG_NOT_SUPPORTED},
        {"data above 256 MiB", HandMade(HeaderData(16384, 4096, 8, 6), {}), PNG_NOT_SUPPORTED},
        {"size overflows", HandMade(HeaderData(0xffffffffu, 0xffffffffu, 16, 6), {}), PNG_NOT_SUPPORTED},
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
    PngWriteOptions options = Options(300, 200, 2);
    options.idatSize = 4096;
    const Bytes file = WritePng(options, TestPixels(options));
    AllocationLog log;
    ASSERT_EQ(Decode(file), PNG_OK);
    const int needed = log.allocations;  // data, inflater, chunk buffer, zlib's state and window
    ASSERT_GE(needed, 3);
    for (int failAt = 0; failAt < needed; ++failAt) {
        AllocationLog failing;
        failing.failAt = failAt;
        int result = 0;
        CaptureStdout([&] { result = Decode(file); });
        EXPECT_TRUE(result == PNG_MEMORY_ERROR || result == PNG_ZLIB_ERROR) << failAt << ": " << result;
        EXPECT_EQ(failing.live, 0) << failAt;
    }
}

TEST(Png, TruncatedFileNeverDecodes)
{
    PngWriteOptions options = Options(6, 5, 4);
    options.idatSize = 20;
    options.textBefore = {{"Title", std::string(300, 'x')}};  // a file stream skips it by seeking
    Bytes pixels = TestPixels(options);
    Bytes file = WritePng(options, pixels);
    TempDir dir;
    for (size_t size = 0; size <= file.size(); ++size) {
        png_image record{};
        Bytes decoded;
        int result = png_open_path(&record, dir.Write("cut.png", Bytes(file.begin(), file.begin() + size)).c_str());
        if (result == PNG_OK) {
            decoded.resize(PngOutputSize(&record));
            result = png_decode(&record, decoded.data());
        }
        EXPECT_EQ(png_close_path(&record), 0);
        // The end chunk's CRC is never read, so only those 4 bytes may go.
        EXPECT_EQ(result, size < headerEnd ? PNG_EOF_ERROR : size + 4 < file.size() ? PNG_FILE_ERROR : PNG_OK) << size;
        EXPECT_EQ(result == PNG_OK ? decoded : pixels, pixels) << size;
    }
}

// A file the reader refuses leaves an empty image (what a good one becomes
// is checked through the upload in TextureGLTest).
TEST(TextureDecode, FailureLeavesAnEmptyImage)
{
    TempDir dir;
    TextureImage image;
    image.width = image.height = image.channels = 99;
    image.pixels.resize(7);
    const Bytes damaged = Flipped(WritePng(Options(4, 4), TestPixels(Options(4, 4))), headerEnd + 10);
    EXPECT_EQ(Texture::Decode(dir.Write("damaged.png", damaged), image), PNG_CRC_ERROR);
    EXPECT_EQ(image.width + image.height + image.channels + int(image.pixels.size()), 0);
}
