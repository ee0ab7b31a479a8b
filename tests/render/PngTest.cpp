#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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

// Pixels that exercise every filter: runs of flat colour (ties in the Paeth
// predictor), smooth ramps and noise, deterministic per seed.
Bytes TestPixels(const PngWriteOptions& options, unsigned seed = 1)
{
    std::mt19937 random(seed);
    size_t rowBytes = PngRowBytes(options);
    Bytes pixels(rowBytes * options.height);
    for (size_t y = 0; y < options.height; ++y) {
        for (size_t x = 0; x < rowBytes; ++x) {
            uint8_t& p = pixels[y * rowBytes + x];
            switch ((x / 5 + y) % 3) {
            case 0: p = uint8_t(random()); break;
            case 1: p = uint8_t(x * 7 + y * 3); break;
            default: p = 200; break;
            }
        }
    }
    return pixels;
}

struct Decoded {
    int openResult = 0;
    int decodeResult = 0;
    png_image record{};
    Bytes pixels;
};

Decoded DecodeMemory(const Bytes& file)
{
    Decoded out;
    PngMemoryStream memory{file.data(), file.size()};
    std::memset(&out.record, 0, sizeof out.record);
    out.openResult = png_open(&out.record, PngReadMemory, &memory);
    if (out.openResult != PNG_OK)
        return out;
    out.pixels.resize(PngOutputSize(&out.record));
    out.decodeResult = png_decode(&out.record, out.pixels.data());
    return out;
}

// Open and decode combined: the first non-zero result.
int Result(const Bytes& file)
{
    Decoded decoded = DecodeMemory(file);
    return decoded.openResult != PNG_OK ? decoded.openResult : decoded.decodeResult;
}

void Put32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

uint32_t Get32(const Bytes& in, size_t at)
{
    return (uint32_t(in[at]) << 24) | (uint32_t(in[at + 1]) << 16) | (uint32_t(in[at + 2]) << 8) | in[at + 3];
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

Bytes Signature()
{
    return {137, 80, 78, 71, 13, 10, 26, 10};
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

Bytes Compress(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

// A file made by hand: signature, header, the given chunks, end chunk.
Bytes HandMade(const Bytes& header, const std::vector<Bytes>& chunks)
{
    Bytes file = Signature();
    Bytes ihdr = Chunk("IHDR", header);
    file.insert(file.end(), ihdr.begin(), ihdr.end());
    for (const Bytes& chunk : chunks)
        file.insert(file.end(), chunk.begin(), chunk.end());
    Bytes iend = Chunk("IEND", {});
    file.insert(file.end(), iend.begin(), iend.end());
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
};

std::vector<ChunkPosition> ChunksOf(const Bytes& file)
{
    std::vector<ChunkPosition> chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length = Get32(file, at);
        chunks.push_back({at, length, std::string(file.begin() + at + 4, file.begin() + at + 8)});
        at += 12 + length;
    }
    return chunks;
}

std::string TypeSequence(const Bytes& file)
{
    std::string sequence;
    for (const ChunkPosition& chunk : ChunksOf(file))
        sequence += (sequence.empty() ? "" : " ") + chunk.type;
    return sequence;
}

// The filter type byte of every row, from the file's inflated data.
std::vector<int> RowFilters(const Bytes& file, size_t rowBytes, size_t height)
{
    Bytes compressed;
    for (const ChunkPosition& chunk : ChunksOf(file))
        if (chunk.type == "IDAT")
            compressed.insert(compressed.end(), file.begin() + chunk.offset + 8,
                              file.begin() + chunk.offset + 8 + chunk.length);
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
    static inline int allocations = 0;
    static inline int live = 0;
    static inline int failAt = -1;  // index of the allocation that fails
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
        void* pointer = std::malloc(size);
        if (pointer) {
            ++live;
            sizes.push_back(size);
        }
        return pointer;
    }
    static void Release(void* pointer)
    {
        if (pointer)
            --live;
        std::free(pointer);
    }
};

struct Layout {
    int colorType;
    int depth;
    int bytesPerPixel;
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
                PngWriteOptions options;
                options.width = width;
                options.height = 9;
                options.colorType = layout.colorType;
                options.depth = layout.depth;
                options.filter = filter;
                Bytes pixels = TestPixels(options, width * 31 + filter);
                Bytes file = WritePng(options, pixels);
                ASSERT_FALSE(file.empty());
                if (filter >= 0 && width > 1) {
                    // Make sure the encoder really used the filter we test.
                    std::vector<int> used = RowFilters(file, PngRowBytes(options), options.height);
                    for (size_t y = 1; y < used.size(); ++y)
                        ASSERT_EQ(used[y], filter) << "row " << y;
                }

                Decoded decoded = DecodeMemory(file);
                ASSERT_EQ(decoded.openResult, PNG_OK);
                EXPECT_EQ(decoded.record.width, width);
                EXPECT_EQ(decoded.record.height, 9u);
                EXPECT_EQ(decoded.record.bytesPerPixel, layout.bytesPerPixel);
                ASSERT_EQ(decoded.decodeResult, PNG_OK);
                EXPECT_EQ(decoded.record.dataLength, (width * layout.bytesPerPixel + 1) * 9);
                EXPECT_EQ(decoded.record.data, nullptr);
                EXPECT_EQ(decoded.pixels, pixels);
            }
        }
    }
}

TEST(Png, EveryFilterOnTheFirstRowTreatsTheRowAboveAsZero)
{
    // Row 0 filtered with each type by hand; its unfiltered value is known.
    const Bytes row = {10, 250, 7, 200, 3, 128};  // grey+alpha, 3 pixels
    for (int type = 0; type <= 4; ++type) {
        SCOPED_TRACE(type);
        Bytes filtered = {uint8_t(type)};
        for (size_t i = 0; i < row.size(); ++i) {
            int left = i >= 2 ? row[i - 2] : 0;
            int predictor = 0;
            if (type == 1 || type == 4)
                predictor = left;  // Paeth with up = upper-left = 0 picks left
            else if (type == 3)
                predictor = left / 2;
            filtered.push_back(uint8_t(row[i] - predictor));
        }
        Decoded decoded = DecodeMemory(HandMade(HeaderData(3, 1, 8, 4), DataChunks(filtered)));
        ASSERT_EQ(decoded.decodeResult, PNG_OK);
        EXPECT_EQ(decoded.pixels, row);
    }
}

TEST(Png, TwoByTwoRgbaNeedsSixteenBytesOfOutputAndEighteenOfData)
{
    PngWriteOptions options;
    options.width = options.height = 2;
    Bytes pixels = TestPixels(options);
    Decoded decoded = DecodeMemory(WritePng(options, pixels));
    ASSERT_EQ(decoded.openResult, PNG_OK);
    EXPECT_EQ(PngOutputSize(&decoded.record), 16u);
    ASSERT_EQ(decoded.decodeResult, PNG_OK);
    EXPECT_EQ(decoded.record.dataLength, 18u);
    EXPECT_EQ(decoded.pixels, pixels);
}

TEST(Png, DataSplitOverManyChunksDecodesLikeOneChunk)
{
    PngWriteOptions options;
    options.width = 37;
    options.height = 23;
    options.colorType = 2;
    Bytes pixels = TestPixels(options);
    for (size_t idatSize : {6, 7, 64, 1000}) {
        SCOPED_TRACE(idatSize);
        options.idatSize = idatSize;
        Bytes file = WritePng(options, pixels);
        size_t dataChunks = 0;
        for (const ChunkPosition& chunk : ChunksOf(file))
            dataChunks += chunk.type == "IDAT";
        EXPECT_GT(dataChunks, 1u);
        Decoded decoded = DecodeMemory(file);
        ASSERT_EQ(decoded.decodeResult, PNG_OK);
        EXPECT_EQ(decoded.pixels, pixels);
    }

    // Chunks of uneven lengths, empty ones included, and one longer than
    // every chunk before it (the chunk buffer grows).
    Bytes filtered;
    for (int y = 0; y < 40; ++y) {
        filtered.push_back(0);
        for (int x = 0; x < 120; ++x)
            filtered.push_back(uint8_t(std::mt19937(y * 1000 + x)()));
    }
    Bytes expected;
    for (int y = 0; y < 40; ++y)
        expected.insert(expected.end(), filtered.begin() + y * 121 + 1, filtered.begin() + (y + 1) * 121);
    Decoded decoded = DecodeMemory(HandMade(HeaderData(40, 40, 8, 2), DataChunks(filtered, {0, 1, 0, 13, 2, 700})));
    ASSERT_EQ(decoded.decodeResult, PNG_OK);
    EXPECT_EQ(decoded.pixels, expected);
}

TEST(Png, ChunksAroundTheDataAreSkippedAndTheirCrcsIgnored)
{
    PngWriteOptions options;
    options.width = 5;
    options.height = 4;
    options.textBefore = {{"Title", "before the data"}};
    options.textAfter = {{"Comment", "after the data"}, {"Author", "someone"}};
    Bytes pixels = TestPixels(options);
    Bytes file = WritePng(options, pixels);
    ASSERT_EQ(TypeSequence(file), "IHDR tEXt IDAT tEXt tEXt IEND");

    Decoded decoded = DecodeMemory(file);
    ASSERT_EQ(decoded.decodeResult, PNG_OK);
    EXPECT_EQ(decoded.pixels, pixels);

    // Ancillary CRCs are not examined: damage the one before and after the data.
    std::vector<ChunkPosition> chunks = ChunksOf(file);
    for (size_t index : {1, 3}) {
        Bytes damaged = file;
        damaged[chunks[index].offset + 8 + chunks[index].length] ^= 0xff;
        Decoded again = DecodeMemory(damaged);
        ASSERT_EQ(again.decodeResult, PNG_OK) << "chunk " << index;
        EXPECT_EQ(again.pixels, pixels);
    }
}

TEST(Png, DamagedDataChunkIsACrcError)
{
    PngWriteOptions options;
    options.width = 16;
    options.height = 16;
    options.idatSize = 100;
    Bytes file = WritePng(options, TestPixels(options));
    std::vector<ChunkPosition> chunks = ChunksOf(file);
    ASSERT_EQ(chunks[1].type, "IDAT");
    ASSERT_EQ(chunks[2].type, "IDAT");
    // The CRC of the first or a later data chunk, or a data byte whose CRC no
    // longer matches (the CRC is judged before the damaged deflate data).
    for (size_t at : {chunks[1].offset + 8 + chunks[1].length, chunks[2].offset + 8 + chunks[2].length + 3,
                      chunks[1].offset + 8 + 2, chunks[2].offset + 8}) {
        Bytes damaged = file;
        damaged[at] ^= 0x5a;
        std::string printed = CaptureStdout([&] { EXPECT_EQ(Result(damaged), PNG_CRC_ERROR) << "byte " << at; });
        EXPECT_EQ(printed, "");
    }
}

TEST(Png, RowWithUndefinedFilterType)
{
    for (int type : {5, 6, 255}) {
        Bytes filtered = {0, 1, 2, 3, uint8_t(type), 4, 5, 6, 0, 7, 8, 9};
        EXPECT_EQ(Result(HandMade(HeaderData(1, 3, 8, 2), DataChunks(filtered))), PNG_FILTER_ERROR) << type;
    }
}

TEST(Png, TruncatedFileNeverDecodes)
{
    PngWriteOptions options;
    options.width = 6;
    options.height = 5;
    options.colorType = 4;
    options.idatSize = 20;
    options.textBefore = {{"Title", "x"}};
    Bytes file = WritePng(options, TestPixels(options));
    TempDir dir;
    for (size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE(size);
        Bytes cut(file.begin(), file.begin() + size);
        // The end chunk's CRC is never read, so only those 4 bytes may go.
        int expected = size < headerEnd ? PNG_EOF_ERROR : size + 4 < file.size() ? PNG_FILE_ERROR : PNG_OK;
        EXPECT_EQ(Result(cut), expected);

        // The same through a file stream (where skipping seeks).
        if (size % 7 == 0 || size + 4 >= file.size()) {
            png_image record;
            std::memset(&record, 0, sizeof record);
            int result = png_open_path(&record, dir.Write("cut.png", cut).c_str());
            if (result == PNG_OK) {
                Bytes pixels(PngOutputSize(&record));
                result = png_decode(&record, pixels.data());
            }
            EXPECT_EQ(png_close_path(&record), 0);
            EXPECT_EQ(result, expected);
        }
    }
}

TEST(Png, BadSignatureAllocatesNothing)
{
    AllocationLog log;
    Bytes file = WritePng(PngWriteOptions(), {1, 2, 3, 4});
    for (size_t at : {0, 1, 4, 7}) {
        Bytes damaged = file;
        damaged[at] ^= 0x20;
        EXPECT_EQ(Result(damaged), PNG_HEADER_ERROR);
    }
    EXPECT_EQ(log.allocations, 0);
}

TEST(Png, DecodeAllocatesTheFilteredDataOnceAndReleasesEverything)
{
    AllocationLog log;
    PngWriteOptions options;
    options.width = 300;
    options.height = 200;
    options.colorType = 2;
    options.idatSize = 4096;
    Bytes pixels = TestPixels(options);
    Decoded decoded = DecodeMemory(WritePng(options, pixels));
    ASSERT_EQ(decoded.decodeResult, PNG_OK);
    EXPECT_EQ(decoded.pixels, pixels);
    EXPECT_EQ(log.live, 0);
    size_t dataLength = 300 * 200 * 3 + 200;
    EXPECT_EQ(std::count(log.sizes.begin(), log.sizes.end(), dataLength), 1);
    // Data, inflater, chunk buffer and zlib's state and window.
    EXPECT_LE(log.allocations, 5);
    for (size_t size : log.sizes)
        EXPECT_TRUE(size == dataLength || size <= 64 * 1024) << size;
}

TEST(Png, FailedAllocationAtAnyPointIsReportedAndLeaksNothing)
{
    PngWriteOptions options;
    options.width = 20;
    options.height = 20;
    Bytes file = WritePng(options, TestPixels(options));
    AllocationLog log;
    ASSERT_EQ(Result(file), PNG_OK);
    int needed = log.allocations;
    ASSERT_GE(needed, 3);
    for (int failAt = 0; failAt < needed; ++failAt) {
        SCOPED_TRACE(failAt);
        AllocationLog failing;
        failing.failAt = failAt;
        int result = 0;
        std::string printed = CaptureStdout([&] { result = Result(file); });
        EXPECT_TRUE(result == PNG_MEMORY_ERROR || result == PNG_ZLIB_ERROR) << result;
        EXPECT_EQ(failing.live, 0);
        if (result == PNG_MEMORY_ERROR) {
            EXPECT_EQ(printed, "");
        }
    }
}

TEST(Png, HeaderChunkOfWrongLengthPrintsTheLength)
{
    const struct {
        uint32_t length;
        const char* printed;
    } cases[] = {{12, "12\n"}, {14, "14\n"}, {0, "0\n"}, {0x7fffffff, "2147483647\n"}};
    for (const auto& c : cases) {
        Bytes file = Signature();
        Put32(file, c.length);
        Bytes rest = Chunk("IHDR", HeaderData(1, 1, 8, 6));
        file.insert(file.end(), rest.begin() + 4, rest.end());
        int result = 0;
        EXPECT_EQ(CaptureStdout([&] { result = Result(file); }), c.printed);
        EXPECT_EQ(result, PNG_CRC_ERROR);
    }
}

TEST(Png, ResultCodes)
{
    PngWriteOptions options;
    options.width = 4;
    options.height = 3;
    options.colorType = 2;
    Bytes good = WritePng(options, TestPixels(options));
    Bytes badHeaderCrc = good;
    badHeaderCrc[headerEnd - 1] ^= 1;
    Bytes headerTypeTruncated(good.begin(), good.begin() + 14);

    // Filtered rows of 1 x 3 grey: one byte short, one byte long.
    Bytes rows = {0, 1, 0, 2, 0, 3};
    Bytes shortRows(rows.begin(), rows.end() - 1);
    Bytes longRows = rows;
    longRows.push_back(9);
    Bytes cutStream = Compress(rows);
    cutStream.resize(cutStream.size() - 6);  // ends inside the deflate data
    Bytes noTrailer = Compress(rows);
    noTrailer.resize(noTrailer.size() - 4);  // all rows present, the checksum missing
    const Bytes grey = HeaderData(1, 3, 8, 0);

    const struct {
        const char* name;
        Bytes file;
        int expected;
    } cases[] = {
        {"good", good, PNG_OK},
        {"empty", {}, PNG_EOF_ERROR},
        {"signature only", Signature(), PNG_EOF_ERROR},
        {"header type cut", headerTypeTruncated, PNG_EOF_ERROR},
        {"header CRC", badHeaderCrc, PNG_CRC_ERROR},
        {"data one byte short", HandMade(grey, DataChunks(shortRows)), PNG_ZLIB_ERROR},
        {"data one byte long", HandMade(grey, DataChunks(longRows)), PNG_ZLIB_ERROR},
        {"deflate stream cut", HandMade(grey, {Chunk("IDAT", cutStream)}), PNG_ZLIB_ERROR},
        {"checksum missing", HandMade(grey, {Chunk("IDAT", noTrailer)}), PNG_OK},
        {"no data chunk", HandMade(grey, {}), PNG_ZLIB_ERROR},
        {"data chunks not consecutive",
         HandMade(grey, {Chunk("IDAT", Compress(rows)), Chunk("tEXt", {'a', 0, 'b'}), Chunk("IDAT", {1, 2})}),
         PNG_ZLIB_ERROR},
        {"undefined filter", HandMade(grey, DataChunks({0, 1, 7, 2, 0, 3})), PNG_FILTER_ERROR},
        {"palette", HandMade(HeaderData(1, 1, 8, 3), {}), PNG_NOT_SUPPORTED},
        {"interlaced", HandMade(HeaderData(1, 1, 8, 2, 1), {}), PNG_NOT_SUPPORTED},
        {"depth 4 grey", HandMade(HeaderData(1, 1, 4, 0), {}), PNG_NOT_SUPPORTED},
        {"depth 1 grey", HandMade(HeaderData(1, 1, 1, 0), {}), PNG_NOT_SUPPORTED},
        {"depth 12", HandMade(HeaderData(1, 1, 12, 2), {}), PNG_NOT_SUPPORTED},
        {"depth 0", HandMade(HeaderData(1, 1, 0, 6), {}), PNG_NOT_SUPPORTED},
        {"colour type 1", HandMade(HeaderData(1, 1, 8, 1), {}), PNG_NOT_SUPPORTED},
        {"colour type 5", HandMade(HeaderData(1, 1, 8, 5), {}), PNG_NOT_SUPPORTED},
        {"colour type 7", HandMade(HeaderData(1, 1, 8, 7), {}), PNG_NOT_SUPPORTED},
        {"colour type 255", HandMade(HeaderData(1, 1, 8, 255), {}), PNG_NOT_SUPPORTED},
        {"zero width", HandMade(HeaderData(0, 5, 8, 2), {}), PNG_NOT_SUPPORTED},
        {"zero height", HandMade(HeaderData(5, 0, 8, 2), {}), PNG_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        std::string printed = CaptureStdout([&] { EXPECT_EQ(Result(c.file), c.expected) << c.name; });
        if (std::string(c.name) == "deflate stream cut") {
            EXPECT_EQ(printed, "") << "a short stream is a short image, not a zlib message";
        }
    }
}

TEST(Png, ChunkLengthBeyondTheFormatLimitIsRefused)
{
    Bytes header = HeaderData(1, 1, 8, 0);
    for (const char* type : {"IDAT", "tEXt"}) {
        Bytes chunk;
        Put32(chunk, 0x80000000u);
        chunk.insert(chunk.end(), type, type + 4);
        chunk.resize(chunk.size() + 100);
        AllocationLog log;
        EXPECT_EQ(Result(HandMade(header, {chunk})), PNG_CRC_ERROR) << type;
        EXPECT_EQ(log.live, 0);
    }
    // A lying length inside the format limit is a short read, and the reader
    // never allocates for it more than a small piece.
    Bytes chunk;
    Put32(chunk, 0x7fffffffu);
    chunk.insert(chunk.end(), {'I', 'D', 'A', 'T', 0x78, 0x9c});
    AllocationLog log;
    Bytes file = Signature();
    Bytes ihdr = Chunk("IHDR", header);
    file.insert(file.end(), ihdr.begin(), ihdr.end());
    file.insert(file.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(Result(file), PNG_FILE_ERROR);
    for (size_t size : log.sizes)
        EXPECT_LE(size, 64u * 1024);
    EXPECT_EQ(log.live, 0);
}

TEST(Png, DamagedDeflateDataPrintsZlibsMessage)
{
    Bytes rows = {0, 1, 0, 2, 0, 3};
    const struct {
        Bytes stream;
        const char* printed;
    } cases[] = {
        {{0x78, 0x00, 0x01, 0x02}, "incorrect header check\n"},
        {{0x78, 0x9c, 0xff, 0xff, 0xff}, "invalid block type\n"},
    };
    for (const auto& c : cases) {
        int result = 0;
        std::string printed =
            CaptureStdout([&] { result = Result(HandMade(HeaderData(1, 3, 8, 0), {Chunk("IDAT", c.stream)})); });
        EXPECT_EQ(result, PNG_ZLIB_ERROR);
        EXPECT_EQ(printed, c.printed);
    }
}

TEST(Png, RefusedHeadersKeepTheirFieldsAndAllocateNothing)
{
    const struct {
        uint32_t width, height;
        int depth, colorType, interlace;
        int bytesPerPixel;
        int expected;
    } cases[] = {
        {7, 9, 8, 3, 0, 1, PNG_NOT_SUPPORTED},   // palette
        {7, 9, 1, 0, 0, 0, PNG_NOT_SUPPORTED},   // 1-bit grey
        {7, 9, 2, 0, 0, 0, PNG_NOT_SUPPORTED},
        {7, 9, 4, 0, 0, 0, PNG_NOT_SUPPORTED},
        {7, 9, 8, 6, 1, 4, PNG_NOT_SUPPORTED},   // interlaced
        {7, 9, 8, 9, 0, 0, PNG_NOT_SUPPORTED},   // unknown colour type
        // Size limits: each side at most 16384, filtered data at most 256 MiB.
        {16384, 4095, 8, 6, 0, 4, PNG_OK},
        {16384, 4096, 8, 6, 0, 4, PNG_NOT_SUPPORTED},
        {16385, 1, 8, 0, 0, 1, PNG_NOT_SUPPORTED},
        {1, 16385, 8, 0, 0, 1, PNG_NOT_SUPPORTED},
        {16384, 16384, 16, 6, 0, 8, PNG_NOT_SUPPORTED},
        {0xffffffffu, 0xffffffffu, 16, 6, 0, 8, PNG_NOT_SUPPORTED},
        {0x80000000u, 2, 8, 0, 0, 1, PNG_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " depth " << c.depth << " type "
                                        << c.colorType);
        AllocationLog log;
        Bytes file = HandMade(HeaderData(c.width, c.height, c.depth, c.colorType, c.interlace), {});
        PngMemoryStream memory{file.data(), file.size()};
        png_image record;
        std::memset(&record, 0, sizeof record);
        EXPECT_EQ(png_open(&record, PngReadMemory, &memory), c.expected);
        EXPECT_EQ(record.width, c.width);
        EXPECT_EQ(record.height, c.height);
        EXPECT_EQ(record.bytesPerPixel, c.bytesPerPixel);
        if (c.expected == PNG_OK) {
            EXPECT_EQ(PngOutputSize(&record), size_t(c.width) * c.height * c.bytesPerPixel);
        } else {
            EXPECT_EQ(PngOutputSize(&record), 0u);
            // A refused record is not decoded either.
            uint8_t output[16];
            EXPECT_EQ(png_decode(&record, output), PNG_NOT_SUPPORTED);
        }
        EXPECT_EQ(log.allocations, 0);
    }
}

TEST(Png, WrongArgumentsAndMissingFile)
{
    png_image record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(png_open(&record, nullptr, nullptr), PNG_WRONG_ARGUMENTS);
    uint8_t output[4];
    EXPECT_EQ(png_decode(&record, output), PNG_WRONG_ARGUMENTS);

    TempDir dir;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(png_open_path(&record, (dir.Path() + "missing.png").c_str()), PNG_FILE_ERROR);
    EXPECT_EQ(record.stream, nullptr);
    EXPECT_EQ(png_close_path(&record), 0);
}

TEST(Png, DecodesFromAFileAndClosesIt)
{
    PngWriteOptions options;
    options.width = 11;
    options.height = 6;
    options.colorType = 0;
    options.depth = 16;
    options.textBefore = {{"Title", std::string(5000, 'x')}};  // skipped by seeking
    Bytes pixels = TestPixels(options);
    TempDir dir;
    std::string path = dir.Write("grey16.png", WritePng(options, pixels));

    png_image record;
    std::memset(&record, 0, sizeof record);
    ASSERT_EQ(png_open_path(&record, path.c_str()), PNG_OK);
    EXPECT_NE(record.stream, nullptr);
    EXPECT_EQ(record.readFunction, nullptr);
    Bytes decoded(PngOutputSize(&record));
    EXPECT_EQ(png_decode(&record, decoded.data()), PNG_OK);
    EXPECT_EQ(png_close_path(&record), 0);
    EXPECT_EQ(record.stream, nullptr);
    EXPECT_EQ(decoded, pixels);
}

TEST(Png, MemoryStreamReadsSkipsAndStopsAtTheEnd)
{
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    PngMemoryStream memory{bytes, sizeof bytes};
    uint8_t out[8] = {};
    EXPECT_EQ(PngReadMemory(out, 2, 2, &memory), 2u);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(PngReadMemory(nullptr, 1, 1, &memory), 1u);  // skips 5
    EXPECT_EQ(PngReadMemory(out, 4, 1, &memory), 0u);      // only 2 bytes left
    EXPECT_EQ(memory.position, sizeof bytes);
    EXPECT_EQ(PngReadMemory(out, 1, 1, &memory), 0u);
}

// Texture::Decode turns the reader's rows into upload-ready pixels.
TEST(TextureDecode, FlipsRowsAndKeepsEightBitsPerChannel)
{
    TempDir dir;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "colour type " << layout.colorType << ", depth " << layout.depth);
        PngWriteOptions options;
        options.width = 3;
        options.height = 4;
        options.colorType = layout.colorType;
        options.depth = layout.depth;
        Bytes pixels = TestPixels(options);
        std::string path = dir.Write("image.png", WritePng(options, pixels));

        TextureImage image;
        ASSERT_EQ(Texture::Decode(path, image), PNG_OK);
        const int sampleBytes = layout.depth / 8;
        const int channels = layout.bytesPerPixel / sampleBytes;
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 4);
        EXPECT_EQ(image.channels, channels);
        ASSERT_EQ(image.pixels.size(), size_t(3 * 4 * channels));
        const size_t rowBytes = 3 * layout.bytesPerPixel;
        for (int y = 0; y < 4; ++y) {
            for (int i = 0; i < 3 * channels; ++i) {
                // Texture row y is file row 3 - y; a 16-bit sample keeps its high byte.
                uint8_t expected = pixels[(3 - y) * rowBytes + i * sampleBytes];
                ASSERT_EQ(image.pixels[y * 3 * channels + i], expected) << "row " << y << " byte " << i;
            }
        }
    }
}

TEST(TextureDecode, UndecodableFileLeavesAnEmptyImage)
{
    TempDir dir;
    PngWriteOptions options;
    options.width = options.height = 4;
    Bytes good = WritePng(options, TestPixels(options));
    Bytes damaged = good;
    damaged[ChunksOf(good)[1].offset + 10] ^= 1;  // inside the image data
    options.colorType = 3;
    Bytes palette = WritePng(options, Bytes(16, 0));

    const struct {
        std::string name;
        Bytes file;
        int expected;
    } cases[] = {
        {"damaged.png", damaged, PNG_CRC_ERROR},
        {"palette.png", palette, PNG_NOT_SUPPORTED},
        {"text.png", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, PNG_HEADER_ERROR},
    };
    for (const auto& c : cases) {
        TextureImage image;
        image.width = 99;
        image.pixels.resize(5);
        EXPECT_EQ(Texture::Decode(dir.Write(c.name, c.file), image), c.expected) << c.name;
        EXPECT_EQ(image.width, 0);
        EXPECT_EQ(image.height, 0);
        EXPECT_EQ(image.channels, 0);
        EXPECT_TRUE(image.pixels.empty());
    }
    TextureImage image;
    EXPECT_EQ(Texture::Decode(dir.Path() + "missing.png", image), PNG_FILE_ERROR);
    EXPECT_TRUE(image.pixels.empty());
}
