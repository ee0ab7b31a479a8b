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

PngWriteOptions Options(uint32_t width, uint32_t height, int colorType = 6, int depth = 8)
{
    PngWriteOptions options;
    options.width = width;
    options.height = height;
    options.colorType = colorType;
    options.depth = depth;
    return options;
}

struct Decoded {
    int result = 0;  // the first failing step's result
    png_image record{};
    Bytes pixels;
};

Decoded DecodeMemory(const Bytes& file)
{
    Decoded out;
    PngMemoryStream memory{file.data(), file.size()};
    out.result = png_open(&out.record, PngReadMemory, &memory);
    if (out.result == PNG_OK) {
        out.pixels.resize(PngOutputSize(&out.record));
        out.result = png_decode(&out.record, out.pixels.data());
    }
    return out;
}

int Result(const Bytes& file)
{
    return DecodeMemory(file).result;
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

const Bytes kSignature = {137, 80, 78, 71, 13, 10, 26, 10};

Bytes HeaderData(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0)
{
    Bytes data;
    Put32(data, width);
    Put32(data, height);
    for (int value : {depth, colorType, 0, 0, interlace})
        data.push_back(uint8_t(value));
    return data;
}

Bytes Compress(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

// Signature, header, the given chunks and (unless left out) the end chunk.
Bytes HandMade(const Bytes& header, const std::vector<Bytes>& chunks, bool end = true)
{
    Bytes file = kSignature;
    std::vector<Bytes> all = {Chunk("IHDR", header)};
    all.insert(all.end(), chunks.begin(), chunks.end());
    if (end)
        all.push_back(Chunk("IEND", {}));
    for (const Bytes& chunk : all)
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

// Compressed filtered rows split into data chunks of the given lengths (the
// last chunk takes the rest).
std::vector<Bytes> DataChunks(const Bytes& filtered, std::vector<size_t> lengths = {})
{
    Bytes compressed = Compress(filtered);
    std::vector<Bytes> chunks;
    size_t at = 0;
    for (size_t length : lengths) {
        length = std::min(length, compressed.size() - at);
        chunks.push_back(Chunk("IDAT", Bytes(compressed.begin() + at, compressed.begin() + at + length)));
        at += length;
    }
    chunks.push_back(Chunk("IDAT", Bytes(compressed.begin() + at, compressed.end())));
    return chunks;
}

struct ChunkPosition {
    size_t offset;  // of the length field
    uint32_t length;
    std::string type;
    size_t crc() const { return offset + 8 + length; }
};

std::vector<ChunkPosition> ChunksOf(const Bytes& file)
{
    std::vector<ChunkPosition> chunks;
    for (size_t at = 8; at + 12 <= file.size(); at += 12 + chunks.back().length) {
        uint32_t length = uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        chunks.push_back({at, length, std::string(file.begin() + at + 4, file.begin() + at + 8)});
    }
    return chunks;
}

// The filter type byte of every row, from the file's inflated data.
std::vector<int> RowFilters(const Bytes& file, size_t rowBytes, size_t height)
{
    Bytes compressed;
    for (const ChunkPosition& c : ChunksOf(file))
        if (c.type == "IDAT")
            compressed.insert(compressed.end(), file.begin() + c.offset + 8, file.begin() + c.crc());
    Bytes raw((rowBytes + 1) * height);
    uLongf size = uLongf(raw.size());
    EXPECT_EQ(uncompress(raw.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
    std::vector<int> filters;
    for (size_t y = 0; y < height; ++y)
        filters.push_back(raw[y * (rowBytes + 1)]);
    return filters;
}

// Allocation bookkeeping through png_set_allocator; restores the standard
// pair when the test ends.
struct AllocationLog {
    static inline int allocations = 0, live = 0, failAt = -1;  // failAt: index of the allocation that fails
    static inline std::vector<size_t> sizes;

    AllocationLog()
    {
        allocations = live = 0;
        failAt = -1;
        sizes.clear();
        png_set_allocator(Allocate, Release);
    }
    ~AllocationLog() { png_set_allocator(nullptr, nullptr); }

    static void* Allocate(size_t size)
    {
        if (allocations++ == failAt)
            return nullptr;
        sizes.push_back(size);
        ++live;
        return std::malloc(size);
    }
    static void Release(void* pointer)
    {
        live -= pointer != nullptr;
        std::free(pointer);
    }
};

struct Layout {
    int colorType, depth, bytesPerPixel;
};
const Layout layouts[] = {{0, 8, 1}, {0, 16, 2}, {2, 8, 3}, {2, 16, 6}, {4, 8, 2}, {4, 16, 4}, {6, 8, 4}, {6, 16, 8}};

}  // namespace

TEST(Png, DecodesEveryLayoutFilterAndOddWidthLikeTheReferenceEncoder)
{
    for (const Layout& layout : layouts) {
        for (int filter : {-1, 0, 1, 2, 3, 4}) {
            for (uint32_t width : {1u, 3u, 5u, 7u, 33u}) {
                SCOPED_TRACE(testing::Message() << "colour type " << layout.colorType << ", depth " << layout.depth
                                                << ", filter " << filter << ", width " << width);
                PngWriteOptions options = Options(width, 9, layout.colorType, layout.depth);
                options.filter = filter;
                Bytes pixels = TestPixels(options, width * 31 + filter);
                Bytes file = WritePng(options, pixels);
                ASSERT_FALSE(file.empty());
                if (filter >= 0 && width > 1) {  // the encoder really used the filter under test
                    std::vector<int> used = RowFilters(file, PngRowBytes(options), options.height);
                    ASSERT_EQ(std::count(used.begin() + 1, used.end(), filter), 8);
                }
                Decoded decoded = DecodeMemory(file);
                ASSERT_EQ(decoded.result, PNG_OK);
                EXPECT_EQ(decoded.record.bytesPerPixel, layout.bytesPerPixel);
                EXPECT_EQ(decoded.record.dataLength, (width * layout.bytesPerPixel + 1) * 9);
                EXPECT_EQ(decoded.pixels, pixels);
            }
        }
    }
}

TEST(Png, EveryFilterOnTheFirstRowTreatsTheRowAboveAsZero)
{
    const Bytes row = {10, 250, 7, 200, 3, 128};  // grey+alpha, 3 pixels
    for (int type = 0; type <= 4; ++type) {
        Bytes filtered = {uint8_t(type)};
        for (size_t i = 0; i < row.size(); ++i) {
            int left = i >= 2 ? row[i - 2] : 0;  // Paeth with up = upper-left = 0 picks left
            filtered.push_back(uint8_t(row[i] - (type == 1 || type == 4 ? left : type == 3 ? left / 2 : 0)));
        }
        Decoded decoded = DecodeMemory(HandMade(HeaderData(3, 1, 8, 4), DataChunks(filtered)));
        ASSERT_EQ(decoded.result, PNG_OK) << type;
        EXPECT_EQ(decoded.pixels, row) << type;
    }
}

TEST(Png, DataSplitOverManyChunksDecodesLikeOneChunk)
{
    PngWriteOptions options = Options(37, 23, 2);
    Bytes pixels = TestPixels(options);
    for (size_t idatSize : {6, 7, 64, 1000}) {
        options.idatSize = idatSize;
        Bytes file = WritePng(options, pixels);
        std::vector<ChunkPosition> chunks = ChunksOf(file);
        EXPECT_GT(std::count_if(chunks.begin(), chunks.end(), [](auto& c) { return c.type == "IDAT"; }), 1);
        Decoded decoded = DecodeMemory(file);
        ASSERT_EQ(decoded.result, PNG_OK) << idatSize;
        EXPECT_EQ(decoded.pixels, pixels) << idatSize;
    }
    // Uneven lengths, empty chunks, and one longer than all before it (the
    // chunk buffer grows).
    Bytes filtered, expected;
    std::mt19937 random(7);
    for (int i = 0; i < 40 * 121; ++i) {
        filtered.push_back(i % 121 ? uint8_t(random()) : 0);
        if (i % 121)
            expected.push_back(filtered.back());
    }
    Decoded decoded = DecodeMemory(HandMade(HeaderData(40, 40, 8, 2), DataChunks(filtered, {0, 1, 0, 13, 2, 700})));
    ASSERT_EQ(decoded.result, PNG_OK);
    EXPECT_EQ(decoded.pixels, expected);
}

TEST(Png, AncillaryChunksAroundTheDataAreSkippedWhateverTheirCrc)
{
    PngWriteOptions options = Options(5, 4);
    options.textBefore = {{"Title", "before the data"}};
    options.textAfter = {{"Comment", "after the data"}, {"Author", "someone"}};
    Bytes pixels = TestPixels(options);
    Bytes file = WritePng(options, pixels);
    std::vector<ChunkPosition> chunks = ChunksOf(file);
    ASSERT_EQ(chunks.size(), 6u);
    ASSERT_EQ(chunks[1].type + chunks[2].type + chunks[3].type, "tEXtIDATtEXt");
    for (int damaged : {-1, 1, 3}) {  // intact, then a bad CRC before and after the data
        Bytes copy = file;
        if (damaged >= 0)
            copy[chunks[damaged].crc()] ^= 0xff;
        Decoded decoded = DecodeMemory(copy);
        ASSERT_EQ(decoded.result, PNG_OK) << damaged;
        EXPECT_EQ(decoded.pixels, pixels) << damaged;
    }
}

TEST(Png, ResultCodesAndWhatTheyPrint)
{
    PngWriteOptions options = Options(16, 16);
    options.idatSize = 100;
    Bytes good = WritePng(options, TestPixels(options));
    std::vector<ChunkPosition> chunks = ChunksOf(good);
    auto damaged = [&](size_t at) {
        Bytes copy = good;
        copy[at] ^= 0x5a;
        return copy;
    };
    auto headerLength = [](uint32_t length) {
        Bytes file = kSignature, rest = Chunk("IHDR", HeaderData(1, 1, 8, 6));
        Put32(file, length);
        file.insert(file.end(), rest.begin() + 4, rest.end());
        return file;
    };

    // Filtered rows of 1 x 3 grey, and streams cut in the deflate data or
    // just before the checksum.
    const Bytes grey = HeaderData(1, 3, 8, 0), rows = {0, 1, 0, 2, 0, 3};
    Bytes cutStream = Compress(rows), noTrailer = Compress(rows);
    cutStream.resize(cutStream.size() - 6);
    noTrailer.resize(noTrailer.size() - 4);
    const char* any = nullptr;

    const struct {
        const char* name;
        Bytes file;
        int expected;
        const char* printed;
    } cases[] = {
        {"good", good, PNG_OK, ""},
        {"empty", {}, PNG_EOF_ERROR, any},
        {"signature only", kSignature, PNG_EOF_ERROR, any},
        {"header type cut", Bytes(good.begin(), good.begin() + 14), PNG_EOF_ERROR, any},
        {"signature damaged", damaged(4), PNG_HEADER_ERROR, any},
        {"header CRC", damaged(headerEnd - 1), PNG_CRC_ERROR, any},
        {"header chunk of length 14", headerLength(14), PNG_CRC_ERROR, "14\n"},
        {"header chunk of length 2^31 - 1", headerLength(0x7fffffff), PNG_CRC_ERROR, "2147483647\n"},
        {"first data chunk's CRC", damaged(chunks[1].crc()), PNG_CRC_ERROR, ""},
        {"later data chunk's CRC", damaged(chunks[2].crc() + 3), PNG_CRC_ERROR, ""},
        {"data byte (CRC judged first)", damaged(chunks[2].offset + 8), PNG_CRC_ERROR, ""},
        {"data one byte short", HandMade(grey, DataChunks({0, 1, 0, 2, 0})), PNG_ZLIB_ERROR, any},
        {"data one byte long", HandMade(grey, DataChunks({0, 1, 0, 2, 0, 3, 9})), PNG_ZLIB_ERROR, any},
        {"deflate stream cut", HandMade(grey, {Chunk("IDAT", cutStream)}), PNG_ZLIB_ERROR, ""},
        {"checksum missing", HandMade(grey, {Chunk("IDAT", noTrailer)}), PNG_OK, any},
        {"bad zlib header", HandMade(grey, {Chunk("IDAT", {0x78, 0x00, 0x01, 0x02})}), PNG_ZLIB_ERROR,
         "incorrect header check\n"},
        {"bad block type", HandMade(grey, {Chunk("IDAT", {0x78, 0x9c, 0xff, 0xff, 0xff})}), PNG_ZLIB_ERROR,
         "invalid block type\n"},
        {"no data chunk", HandMade(grey, {}), PNG_ZLIB_ERROR, any},
        {"data chunks not consecutive",
         HandMade(grey, {Chunk("IDAT", Compress(rows)), Chunk("tEXt", {'a', 0, 'b'}), Chunk("IDAT", {1, 2})}),
         PNG_ZLIB_ERROR, any},
        {"undefined filter 7", HandMade(grey, DataChunks({0, 1, 7, 2, 0, 3})), PNG_FILTER_ERROR, any},
        {"undefined filter 255", HandMade(grey, DataChunks({0, 1, 0, 2, 255, 3})), PNG_FILTER_ERROR, any},
        {"palette", HandMade(HeaderData(1, 1, 8, 3), {}), PNG_NOT_SUPPORTED, any},
        {"interlaced", HandMade(HeaderData(1, 1, 8, 2, 1), {}), PNG_NOT_SUPPORTED, any},
        {"depth 4 grey", HandMade(HeaderData(1, 1, 4, 0), {}), PNG_NOT_SUPPORTED, any},
        {"depth 12", HandMade(HeaderData(1, 1, 12, 2), {}), PNG_NOT_SUPPORTED, any},
        {"depth 0", HandMade(HeaderData(1, 1, 0, 6), {}), PNG_NOT_SUPPORTED, any},
        {"colour type 1", HandMade(HeaderData(1, 1, 8, 1), {}), PNG_NOT_SUPPORTED, any},
        {"colour type 5", HandMade(HeaderData(1, 1, 8, 5), {}), PNG_NOT_SUPPORTED, any},
        {"colour type 255", HandMade(HeaderData(1, 1, 8, 255), {}), PNG_NOT_SUPPORTED, any},
        {"zero width", HandMade(HeaderData(0, 5, 8, 2), {}), PNG_NOT_SUPPORTED, any},
        {"zero height", HandMade(HeaderData(5, 0, 8, 2), {}), PNG_NOT_SUPPORTED, any},
    };
    for (const auto& c : cases) {
        std::string printed = CaptureStdout([&] { EXPECT_EQ(Result(c.file), c.expected) << c.name; });
        if (c.printed)
            EXPECT_EQ(printed, c.printed) << c.name;
    }

    png_image record{};
    uint8_t output[4];
    EXPECT_EQ(png_open(&record, nullptr, nullptr), PNG_WRONG_ARGUMENTS);
    EXPECT_EQ(png_decode(&record, output), PNG_WRONG_ARGUMENTS);
    TempDir dir;
    EXPECT_EQ(png_open_path(&record, (dir.Path() + "missing.png").c_str()), PNG_FILE_ERROR);
    EXPECT_EQ(png_close_path(&record), 0);
}

TEST(Png, TruncatedFileNeverDecodesFromMemoryOrFile)
{
    PngWriteOptions options = Options(6, 5, 4);
    options.idatSize = 20;
    options.textBefore = {{"Title", std::string(300, 'x')}};  // a file stream skips it by seeking
    Bytes pixels = TestPixels(options);
    Bytes file = WritePng(options, pixels);
    TempDir dir;
    for (size_t size = 0; size <= file.size(); ++size) {
        SCOPED_TRACE(size);
        Bytes cut(file.begin(), file.begin() + size);
        // The end chunk's CRC is never read, so only those 4 bytes may go.
        int expected = size < headerEnd ? PNG_EOF_ERROR : size + 4 < file.size() ? PNG_FILE_ERROR : PNG_OK;
        EXPECT_EQ(Result(cut), expected);
        if (size % 7 == 0 || size + 4 >= file.size()) {
            png_image record{};
            Bytes decoded;
            int result = png_open_path(&record, dir.Write("cut.png", cut).c_str());
            if (result == PNG_OK) {
                decoded.resize(PngOutputSize(&record));
                result = png_decode(&record, decoded.data());
            }
            EXPECT_EQ(png_close_path(&record), 0);
            EXPECT_EQ(record.stream, nullptr);
            EXPECT_EQ(result, expected);
            if (expected == PNG_OK)
                EXPECT_EQ(decoded, pixels);
        }
    }
}

TEST(Png, AllocatesTheDataOnceReleasesEverythingAndSurvivesAnyFailedAllocation)
{
    PngWriteOptions options = Options(300, 200, 2);
    options.idatSize = 4096;
    Bytes pixels = TestPixels(options), file = WritePng(options, pixels);
    AllocationLog log;
    Decoded decoded = DecodeMemory(file);
    ASSERT_EQ(decoded.result, PNG_OK);
    EXPECT_EQ(decoded.pixels, pixels);
    EXPECT_EQ(log.live, 0);
    const size_t dataLength = 300 * 200 * 3 + 200;
    EXPECT_EQ(std::count(log.sizes.begin(), log.sizes.end(), dataLength), 1);
    for (size_t size : log.sizes)
        EXPECT_TRUE(size == dataLength || size <= 64 * 1024) << size;
    const int needed = log.allocations;  // data, inflater, chunk buffer, zlib's state and window
    ASSERT_GE(needed, 3);
    EXPECT_LE(needed, 5);
    for (int failAt = 0; failAt < needed; ++failAt) {
        AllocationLog failing;
        failing.failAt = failAt;
        int result = 0;
        std::string printed = CaptureStdout([&] { result = Result(file); });
        EXPECT_TRUE(result == PNG_MEMORY_ERROR || result == PNG_ZLIB_ERROR) << failAt << ": " << result;
        EXPECT_EQ(failing.live, 0) << failAt;
        if (result == PNG_MEMORY_ERROR)
            EXPECT_EQ(printed, "") << failAt;
    }
}

TEST(Png, ChunkLengthsBeyondTheFileAllocateNothingLarge)
{
    Bytes header = HeaderData(1, 1, 8, 0);
    for (const char* type : {"IDAT", "tEXt"}) {  // beyond the format's limit
        Bytes chunk;
        Put32(chunk, 0x80000000u);
        chunk.insert(chunk.end(), type, type + 4);
        chunk.resize(chunk.size() + 100);
        AllocationLog log;
        EXPECT_EQ(Result(HandMade(header, {chunk})), PNG_CRC_ERROR) << type;
        EXPECT_EQ(log.live, 0);
    }
    // A lying length inside the limit is a short read.
    Bytes chunk;
    Put32(chunk, 0x7fffffffu);
    chunk.insert(chunk.end(), {'I', 'D', 'A', 'T', 0x78, 0x9c});
    AllocationLog log;
    EXPECT_EQ(Result(HandMade(header, {chunk}, false)), PNG_FILE_ERROR);
    for (size_t size : log.sizes)
        EXPECT_LE(size, 64u * 1024);
    EXPECT_EQ(log.live, 0);
}

TEST(Png, OversizedOrUnknownHeadersAreRefusedBeforeAnyAllocation)
{
    const struct {
        uint32_t width, height;
        int depth, colorType, interlace, expected;
    } cases[] = {
        {7, 9, 8, 3, 0, PNG_NOT_SUPPORTED},  // palette
        {7, 9, 2, 0, 0, PNG_NOT_SUPPORTED},  // 2-bit grey
        {7, 9, 8, 6, 1, PNG_NOT_SUPPORTED},  // interlaced
        {7, 9, 8, 9, 0, PNG_NOT_SUPPORTED},  // unknown colour type
        // Each side at most 16384, filtered data at most 256 MiB.
        {16384, 4095, 8, 6, 0, PNG_OK},
        {16384, 4096, 8, 6, 0, PNG_NOT_SUPPORTED},
        {16385, 1, 8, 0, 0, PNG_NOT_SUPPORTED},
        {1, 16385, 8, 0, 0, PNG_NOT_SUPPORTED},
        {16384, 16384, 16, 6, 0, PNG_NOT_SUPPORTED},
        {0xffffffffu, 0xffffffffu, 16, 6, 0, PNG_NOT_SUPPORTED},
        {0x80000000u, 2, 8, 0, 0, PNG_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " type " << c.colorType);
        AllocationLog log;
        Bytes file = HandMade(HeaderData(c.width, c.height, c.depth, c.colorType, c.interlace), {});
        PngMemoryStream memory{file.data(), file.size()};
        png_image record{};
        EXPECT_EQ(png_open(&record, PngReadMemory, &memory), c.expected);
        if (c.expected == PNG_OK) {
            EXPECT_EQ(PngOutputSize(&record), size_t(c.width) * c.height * 4);
        } else {
            EXPECT_EQ(PngOutputSize(&record), 0u);
            uint8_t output[16];
            EXPECT_EQ(png_decode(&record, output), PNG_NOT_SUPPORTED) << "a refused record is not decoded";
        }
        EXPECT_EQ(log.allocations, 0);
    }
    AllocationLog log;
    Bytes badSignature = HandMade(HeaderData(1, 1, 8, 0), {});
    badSignature[1] ^= 0x20;
    EXPECT_EQ(Result(badSignature), PNG_HEADER_ERROR);
    EXPECT_EQ(log.allocations, 0) << "bad signature";
}

// Texture::Decode turns the reader's rows into upload-ready pixels.
TEST(TextureDecode, FlipsRowsAndKeepsEightBitsPerChannel)
{
    TempDir dir;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "colour type " << layout.colorType << ", depth " << layout.depth);
        PngWriteOptions options = Options(3, 4, layout.colorType, layout.depth);
        Bytes pixels = TestPixels(options);
        TextureImage image;
        ASSERT_EQ(Texture::Decode(dir.Write("image.png", WritePng(options, pixels)), image), PNG_OK);
        const int sampleBytes = layout.depth / 8, channels = layout.bytesPerPixel / sampleBytes;
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 4);
        EXPECT_EQ(image.channels, channels);
        ASSERT_EQ(image.pixels.size(), size_t(3 * 4 * channels));
        for (size_t i = 0; i < image.pixels.size(); ++i) {
            // Texture row y is file row 3 - y; a 16-bit sample keeps its high byte.
            size_t y = i / (3 * channels), sample = i % (3 * channels);
            ASSERT_EQ(image.pixels[i], pixels[(3 - y) * 3 * layout.bytesPerPixel + sample * sampleBytes]) << i;
        }
    }
}

TEST(TextureDecode, UndecodableFileLeavesAnEmptyImage)
{
    TempDir dir;
    Bytes good = WritePng(Options(4, 4), TestPixels(Options(4, 4)));
    Bytes damaged = good;
    damaged[ChunksOf(good)[1].offset + 10] ^= 1;  // inside the image data
    const struct {
        std::string path;
        int expected;
    } cases[] = {
        {dir.Write("damaged.png", damaged), PNG_CRC_ERROR},
        {dir.Write("palette.png", WritePng(Options(4, 4, 3), Bytes(16, 0))), PNG_NOT_SUPPORTED},
        {dir.Write("text.png", std::string("hello world")), PNG_HEADER_ERROR},
        {dir.Path() + "missing.png", PNG_FILE_ERROR},
    };
    for (const auto& c : cases) {
        TextureImage image;
        image.width = image.height = image.channels = 99;
        image.pixels.resize(5);
        EXPECT_EQ(Texture::Decode(c.path, image), c.expected) << c.path;
        EXPECT_EQ(image.width + image.height + image.channels, 0) << c.path;
        EXPECT_TRUE(image.pixels.empty()) << c.path;
    }
}
