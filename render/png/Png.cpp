#include "render/png/Png.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#define PNG_PIXEL_SIMD 1
#endif

namespace {

png_alloc_function allocateFunction = std::malloc;
png_free_function releaseFunction = std::free;

const uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

// Chunk lengths above this are invalid PNG; refusing them keeps every length
// arithmetic below in range.
constexpr uint32_t maxChunkLength = 0x7fffffffu;
// Image data is read and inflated in pieces of at most this many bytes, so a
// lying chunk length never makes us allocate more than this for it.
constexpr size_t maxChunkPiece = size_t(64) << 10;

static_assert(PNG_MAX_DATA <= 0xffffffffu, "zlib counts its output in 32 bits");

uint32_t BigEndian32(const uint8_t* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]);
}

bool IsType(const uint8_t* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Reads exactly `count` bytes, or skips them when `buffer` is null.
bool ReadBytes(png_image* image, void* buffer, size_t count)
{
    if (count == 0)
        return true;
    if (image->readFunction)
        return image->readFunction(buffer, 1, count, image->stream) == count;
    FILE* file = static_cast<FILE*>(image->stream);
    if (buffer)
        return std::fread(buffer, 1, count, file) == count;
    // Skipping: seek when the stream allows it, otherwise read and discard.
    if (count <= 0x7fffffffu && std::fseek(file, static_cast<long>(count), SEEK_CUR) == 0)
        return true;
    uint8_t scratch[4096];
    while (count > 0) {
        size_t piece = count < sizeof scratch ? count : sizeof scratch;
        if (std::fread(scratch, 1, piece, file) != piece)
            return false;
        count -= piece;
    }
    return true;
}

bool ReadBigEndian32(png_image* image, uint32_t* value)
{
    uint8_t bytes[4];
    if (!ReadBytes(image, bytes, 4))
        return false;
    *value = BigEndian32(bytes);
    return true;
}

int Channels(uint8_t colorType)
{
    switch (colorType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

// PNG_OK when the header describes an image this reader decodes within its
// limits, PNG_NOT_SUPPORTED otherwise. Nothing here can overflow: the sizes
// are multiplied only after both dimensions are known to be small.
int CheckHeader(const png_image* image)
{
    if (image->colorType == 3 || Channels(image->colorType) == 0)
        return PNG_NOT_SUPPORTED;
    if (image->depth != 8 && image->depth != 16)
        return PNG_NOT_SUPPORTED;
    if (image->interlaceMethod != 0)
        return PNG_NOT_SUPPORTED;
    if (image->width == 0 || image->height == 0 || image->width > PNG_MAX_DIMENSION ||
        image->height > PNG_MAX_DIMENSION)
        return PNG_NOT_SUPPORTED;
    uint64_t dataLength = uint64_t(image->width) * image->height * image->bytesPerPixel + image->height;
    if (dataLength > PNG_MAX_DATA)
        return PNG_NOT_SUPPORTED;
    return PNG_OK;
}

// zlib's own allocations go through the installed pair as well.
voidpf ZlibAllocate(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > SIZE_MAX / size)
        return Z_NULL;
    return allocateFunction(size_t(items) * size);
}

void ZlibRelease(voidpf, voidpf pointer)
{
    releaseFunction(pointer);
}

const char* ZlibMessage(const z_stream* inflater, int code)
{
    return inflater->msg ? inflater->msg : zError(code);
}

// Reads the run of consecutive "IDAT" chunks whose first chunk's length has
// been read, inflating it straight into image->data. On PNG_OK the whole
// filtered image has arrived and `length` and `type` hold the header of the
// chunk that follows the run. On error image->data is released.
int ReadImageData(png_image* image, uint32_t* length, uint8_t* type)
{
    image->data = static_cast<uint8_t*>(allocateFunction(image->dataLength));
    if (!image->data)
        return PNG_MEMORY_ERROR;
    image->inflater = static_cast<z_stream*>(allocateFunction(sizeof(z_stream)));
    if (!image->inflater) {
        releaseFunction(image->data);
        image->data = nullptr;
        return PNG_MEMORY_ERROR;
    }
    z_stream* inflater = image->inflater;
    std::memset(inflater, 0, sizeof *inflater);
    inflater->zalloc = ZlibAllocate;
    inflater->zfree = ZlibRelease;
    if (inflateInit(inflater) != Z_OK) {
        releaseFunction(inflater);
        image->inflater = nullptr;
        releaseFunction(image->data);
        image->data = nullptr;
        return PNG_ZLIB_ERROR;
    }
    inflater->next_out = image->data;
    inflater->avail_out = static_cast<uInt>(image->dataLength);

    size_t capacity = 0;
    uint8_t* buffer = nullptr;
    int result = PNG_OK;
    for (;;) {
        if (*length > maxChunkLength) {
            result = PNG_CRC_ERROR;
            break;
        }
        size_t wanted = *length < maxChunkPiece ? (*length ? *length : 1) : maxChunkPiece;
        if (wanted > capacity) {
            releaseFunction(buffer);
            buffer = static_cast<uint8_t*>(allocateFunction(wanted));
            capacity = buffer ? wanted : 0;
            if (!buffer) {
                result = PNG_MEMORY_ERROR;
                break;
            }
        }

        // The chunk is checked and inflated piece by piece. An inflation error
        // is held back until the CRC is known: a damaged chunk is a CRC error.
        uLong crc = crc32(0, type, 4);
        int zlibResult = Z_OK;
        bool unconsumed = false;
        size_t remaining = *length;
        while (remaining > 0 && result == PNG_OK) {
            size_t piece = remaining < capacity ? remaining : capacity;
            if (!ReadBytes(image, buffer, piece)) {
                result = PNG_FILE_ERROR;
                break;
            }
            remaining -= piece;
            crc = crc32(crc, buffer, static_cast<uInt>(piece));
            if (zlibResult != Z_OK || unconsumed)
                continue;
            inflater->next_in = buffer;
            inflater->avail_in = static_cast<uInt>(piece);
            int code = inflate(inflater, Z_SYNC_FLUSH);
            if (code != Z_OK && code != Z_STREAM_END)
                zlibResult = code;
            else if (inflater->avail_in != 0)
                unconsumed = true;  // more data than the image holds
        }
        if (result != PNG_OK)
            break;
        uint32_t storedCrc;
        if (!ReadBigEndian32(image, &storedCrc)) {
            result = PNG_FILE_ERROR;
            break;
        }
        if (storedCrc != crc) {
            result = PNG_CRC_ERROR;
            break;
        }
        if (zlibResult != Z_OK) {
            printf("%s\n", ZlibMessage(inflater, zlibResult));
            result = PNG_ZLIB_ERROR;
            break;
        }
        if (unconsumed) {
            result = PNG_ZLIB_ERROR;
            break;
        }
        if (!ReadBigEndian32(image, length) || !ReadBytes(image, type, 4)) {
            result = PNG_FILE_ERROR;
            break;
        }
        if (!IsType(type, "IDAT"))
            break;
    }

    // The data chunks must be consecutive, so the image is complete here or
    // never: filtering a partly inflated buffer would read garbage rows.
    if (result == PNG_OK && inflater->total_out != image->dataLength)
        result = PNG_ZLIB_ERROR;
    releaseFunction(buffer);
    int endCode = inflateEnd(inflater);
    if (endCode != Z_OK) {
        printf("ZLIB says: %s\n", ZlibMessage(inflater, endCode));
        if (result == PNG_OK)
            result = PNG_ZLIB_ERROR;
    }
    releaseFunction(inflater);
    image->inflater = nullptr;
    if (result != PNG_OK) {
        releaseFunction(image->data);
        image->data = nullptr;
    }
    return result;
}

// Scanline filters. Each undoes one filtered row of `n` bytes into `out`;
// `prev` is the previous output row. B is bytes per pixel, fixed at compile
// time so the inner loops carry no per-byte decisions.
typedef void (*RowFunction)(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n);

void FilterNone(const uint8_t* in, uint8_t* out, const uint8_t*, size_t n)
{
    std::memcpy(out, in, n);
}

void FilterUp(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict prev, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = uint8_t(in[i] + prev[i]);
}

template <size_t B>
void FilterSub(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t*, size_t n)
{
    for (size_t i = 0; i < B; ++i)
        out[i] = in[i];
    for (size_t i = B; i < n; ++i)
        out[i] = uint8_t(in[i] + out[i - B]);
}

template <size_t B>
void FilterAverage(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict prev, size_t n)
{
    for (size_t i = 0; i < B; ++i)
        out[i] = uint8_t(in[i] + (prev[i] >> 1));
    for (size_t i = B; i < n; ++i)
        out[i] = uint8_t(in[i] + ((unsigned(out[i - B]) + prev[i]) >> 1));
}

// First row: "up" is zero.
template <size_t B>
void FilterAverageFirst(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t*, size_t n)
{
    for (size_t i = 0; i < B; ++i)
        out[i] = in[i];
    for (size_t i = B; i < n; ++i)
        out[i] = uint8_t(in[i] + (out[i - B] >> 1));
}

inline uint8_t PaethPredictor(int left, int up, int upperLeft)
{
    // p = left + up - upperLeft; the distances from p to each neighbour.
    int pa = std::abs(up - upperLeft);
    int pb = std::abs(left - upperLeft);
    int pc = std::abs(left + up - 2 * upperLeft);
    int chosen = pb <= pc ? up : upperLeft;
    return uint8_t((pa <= pb && pa <= pc) ? left : chosen);
}

template <size_t B>
void FilterPaeth(const uint8_t* __restrict in, uint8_t* __restrict out, const uint8_t* __restrict prev, size_t n)
{
    // Left and upper-left are zero for the first pixel: the predictor is up.
    for (size_t i = 0; i < B; ++i)
        out[i] = uint8_t(in[i] + prev[i]);
    for (size_t i = B; i < n; ++i)
        out[i] = uint8_t(in[i] + PaethPredictor(out[i - B], prev[i], prev[i - B]));
}

#ifdef PNG_PIXEL_SIMD
// For pixels of 3 bytes and more the left-to-right dependency is per pixel,
// so a whole pixel goes through one SSE register at a time.
//
// Every pixel but a row's last is moved with one load or store of 4 or 8
// bytes, which for 3- and 6-byte pixels also carries the next pixel's first
// bytes: those lanes are ignored and rewritten by the next pixel's store. The
// last pixel is moved with loads and stores of its exact size, so nothing
// outside the row is touched.
inline uint16_t Load16(const uint8_t* p)
{
    uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

template <size_t B>
inline __m128i LoadWide(const uint8_t* p)
{
    if constexpr (B <= 4)
        return _mm_cvtsi32_si128(int(Load32(p)));
    else
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <size_t B>
inline void StoreWide(uint8_t* p, __m128i pixel)
{
    if constexpr (B <= 4) {
        uint32_t bits = uint32_t(_mm_cvtsi128_si32(pixel));
        std::memcpy(p, &bits, 4);
    } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), pixel);
    }
}

// Exact-size moves assemble the bytes in general registers; assembling them
// in memory would stall on store forwarding.
template <size_t B>
inline __m128i LoadExact(const uint8_t* p)
{
    if constexpr (B == 3)
        return _mm_cvtsi32_si128(int(Load16(p) | (uint32_t(p[2]) << 16)));
    else if constexpr (B == 6)
        return _mm_cvtsi64_si128(static_cast<long long>(Load32(p) | (uint64_t(Load16(p + 4)) << 32)));
    else
        return LoadWide<B>(p);
}

template <size_t B>
inline void StoreExact(uint8_t* p, __m128i pixel)
{
    if constexpr (B == 3) {
        uint32_t bits = uint32_t(_mm_cvtsi128_si32(pixel));
        uint16_t low = uint16_t(bits);
        std::memcpy(p, &low, 2);
        p[2] = uint8_t(bits >> 16);
    } else if constexpr (B == 6) {
        uint64_t bits = uint64_t(_mm_cvtsi128_si64(pixel));
        uint32_t low = uint32_t(bits);
        uint16_t high = uint16_t(bits >> 32);
        std::memcpy(p, &low, 4);
        std::memcpy(p + 4, &high, 2);
    } else {
        StoreWide<B>(p, pixel);
    }
}

// Runs `step(filtered pixel, pixel above)` over the row, left to right; the
// step keeps its own left-hand state. `prev` is null when the filter has no
// use for the row above.
template <size_t B, typename Step>
inline void ForEachPixel(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n, Step step)
{
    const size_t last = n - B;
    for (size_t i = 0; i < last; i += B)
        StoreWide<B>(out + i, step(LoadWide<B>(in + i), prev ? LoadWide<B>(prev + i) : __m128i()));
    StoreExact<B>(out + last, step(LoadExact<B>(in + last), prev ? LoadExact<B>(prev + last) : __m128i()));
}

template <size_t B>
void FilterSubPixels(const uint8_t* in, uint8_t* out, const uint8_t*, size_t n)
{
    __m128i left = _mm_setzero_si128();
    ForEachPixel<B>(in, out, nullptr, n, [&](__m128i pixel, __m128i) { return left = _mm_add_epi8(pixel, left); });
}

template <size_t B>
void FilterAveragePixels(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n)
{
    const __m128i ones = _mm_set1_epi8(1);
    __m128i left = _mm_setzero_si128();
    ForEachPixel<B>(in, out, prev, n, [&](__m128i pixel, __m128i up) {
        // The rounding-up average minus the dropped half is floor((l + u) / 2).
        __m128i roundedUp = _mm_add_epi8(pixel, _mm_avg_epu8(left, up));
        return left = _mm_sub_epi8(roundedUp, _mm_and_si128(_mm_xor_si128(left, up), ones));
    });
}

template <size_t B>
void FilterPaethPixels(const uint8_t* in, uint8_t* out, const uint8_t* prev, size_t n)
{
    // 16-bit lanes hold the signed distances. With left and upper-left zero
    // the first pixel's predictor comes out as up, as it must.
    const __m128i zero = _mm_setzero_si128();
    __m128i left = zero, upperLeft = zero;
    ForEachPixel<B>(in, out, prev, n, [&](__m128i pixel, __m128i upBytes) {
        __m128i up = _mm_unpacklo_epi8(upBytes, zero);
        __m128i upMinusCorner = _mm_sub_epi16(up, upperLeft);
        __m128i leftMinusCorner = _mm_sub_epi16(left, upperLeft);
        __m128i sum = _mm_add_epi16(upMinusCorner, leftMinusCorner);
        __m128i pa = _mm_max_epi16(upMinusCorner, _mm_sub_epi16(zero, upMinusCorner));
        __m128i pb = _mm_max_epi16(leftMinusCorner, _mm_sub_epi16(zero, leftMinusCorner));
        __m128i pc = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
        __m128i takeCorner = _mm_cmpgt_epi16(pb, pc);
        __m128i upOrCorner = _mm_or_si128(_mm_andnot_si128(takeCorner, up), _mm_and_si128(takeCorner, upperLeft));
        __m128i notLeft = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        __m128i predictor = _mm_or_si128(_mm_andnot_si128(notLeft, left), _mm_and_si128(notLeft, upOrCorner));
        __m128i result = _mm_add_epi8(pixel, _mm_packus_epi16(predictor, predictor));
        left = _mm_unpacklo_epi8(result, zero);
        upperLeft = up;
        return result;
    });
}
#endif

// Per bytes-per-pixel: the five filters for the first row (no row above) and
// for every other row. On the first row Up is a copy and Paeth is Sub.
struct FilterSet {
    RowFunction first[5];
    RowFunction other[5];
};

template <size_t B>
constexpr FilterSet MakeFilterSet()
{
#ifdef PNG_PIXEL_SIMD
    if constexpr (B >= 3) {
        return {{FilterNone, FilterSubPixels<B>, FilterNone, FilterAverageFirst<B>, FilterSubPixels<B>},
                {FilterNone, FilterSubPixels<B>, FilterUp, FilterAveragePixels<B>, FilterPaethPixels<B>}};
    }
#endif
    return {{FilterNone, FilterSub<B>, FilterNone, FilterAverageFirst<B>, FilterSub<B>},
            {FilterNone, FilterSub<B>, FilterUp, FilterAverage<B>, FilterPaeth<B>}};
}

const FilterSet* FiltersFor(int bytesPerPixel)
{
    static const FilterSet sets[] = {MakeFilterSet<1>(), MakeFilterSet<2>(), MakeFilterSet<3>(),
                                     MakeFilterSet<4>(), MakeFilterSet<6>(), MakeFilterSet<8>()};
    switch (bytesPerPixel) {
    case 1: return &sets[0];
    case 2: return &sets[1];
    case 3: return &sets[2];
    case 4: return &sets[3];
    case 6: return &sets[4];
    case 8: return &sets[5];
    default: return nullptr;
    }
}

int Unfilter(const png_image* image, uint8_t* output)
{
    const FilterSet* filters = FiltersFor(image->bytesPerPixel);
    if (!filters)
        return PNG_NOT_SUPPORTED;
    const size_t rowBytes = size_t(image->width) * image->bytesPerPixel;
    const uint8_t* in = image->data;
    uint8_t* out = output;
    for (uint32_t row = 0; row < image->height; ++row) {
        uint8_t type = in[0];
        if (type > 4)
            return PNG_FILTER_ERROR;
        if (row == 0)
            filters->first[type](in + 1, out, nullptr, rowBytes);
        else
            filters->other[type](in + 1, out, out - rowBytes, rowBytes);
        in += rowBytes + 1;
        out += rowBytes;
    }
    return PNG_OK;
}

}  // namespace

int png_set_allocator(png_alloc_function allocate, png_free_function release)
{
    allocateFunction = allocate ? allocate : std::malloc;
    releaseFunction = release ? release : std::free;
    return 0;
}

int png_open_path(png_image* image, const char* path)
{
    if (!image || !path)
        return PNG_WRONG_ARGUMENTS;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return PNG_FILE_ERROR;
    return png_open(image, nullptr, file);
}

int png_open(png_image* image, png_read_function readFunction, void* stream)
{
    if (!image)
        return PNG_WRONG_ARGUMENTS;
    image->readFunction = readFunction;
    image->writeFunction = nullptr;
    image->stream = stream;
    if (!readFunction && !stream)
        return PNG_WRONG_ARGUMENTS;

    uint8_t bytes[8];
    if (!ReadBytes(image, bytes, 8))
        return PNG_EOF_ERROR;
    if (std::memcmp(bytes, signature, 8) != 0)
        return PNG_HEADER_ERROR;

    uint32_t length;
    if (!ReadBigEndian32(image, &length))
        return PNG_EOF_ERROR;
    if (length != 13) {
        printf("%d\n", static_cast<int>(length));
        return PNG_CRC_ERROR;
    }
    // Type and data of the header chunk, then its CRC.
    uint8_t header[17];
    uint32_t storedCrc;
    if (!ReadBytes(image, header, sizeof header) || !ReadBigEndian32(image, &storedCrc))
        return PNG_EOF_ERROR;
    if (crc32(0, header, sizeof header) != storedCrc)
        return PNG_CRC_ERROR;

    image->width = BigEndian32(header + 4);
    image->height = BigEndian32(header + 8);
    image->depth = header[12];
    image->colorType = header[13];
    image->compressionMethod = header[14];
    image->filterMethod = header[15];
    image->interlaceMethod = header[16];
    image->bytesPerPixel = uint8_t(image->depth / 8 * Channels(image->colorType));
    image->dataLength = 0;
    return CheckHeader(image);
}

int png_decode(png_image* image, uint8_t* output)
{
    if (!image || !output || (!image->readFunction && !image->stream))
        return PNG_WRONG_ARGUMENTS;
    // A record whose header was refused (or never read) is not decoded.
    int result = CheckHeader(image);
    if (result != PNG_OK)
        return result;
    image->dataLength = size_t(image->width) * image->height * image->bytesPerPixel + image->height;
    image->data = nullptr;
    image->inflater = nullptr;

    bool haveData = false;
    uint32_t length;
    uint8_t type[4];
    if (!ReadBigEndian32(image, &length) || !ReadBytes(image, type, 4))
        result = PNG_FILE_ERROR;
    while (result == PNG_OK) {
        if (IsType(type, "IEND")) {
            // No image data at all is as short as image data gets.
            result = haveData ? PNG_DONE : PNG_ZLIB_ERROR;
            break;
        }
        if (length > maxChunkLength) {
            result = PNG_CRC_ERROR;
            break;
        }
        if (IsType(type, "IDAT")) {
            // Image data after the run of data chunks has ended is more than
            // the image holds.
            if (haveData) {
                result = PNG_ZLIB_ERROR;
                break;
            }
            result = ReadImageData(image, &length, type);
            haveData = true;
            continue;  // the chunk after the run is already in length/type
        }
        // Ancillary and unused chunks: skip data and CRC unexamined.
        if (!ReadBytes(image, nullptr, length) || !ReadBytes(image, nullptr, 4) ||
            !ReadBigEndian32(image, &length) || !ReadBytes(image, type, 4))
            result = PNG_FILE_ERROR;
    }

    if (result == PNG_DONE)
        result = Unfilter(image, output);
    if (image->data) {
        releaseFunction(image->data);
        image->data = nullptr;
    }
    return result;
}

int png_close_path(png_image* image)
{
    // Only a stream we read with fread is a FILE; a read function's stream
    // belongs to its caller.
    if (image && image->stream && !image->readFunction)
        std::fclose(static_cast<FILE*>(image->stream));
    if (image)
        image->stream = nullptr;
    return 0;
}

size_t PngOutputSize(const png_image* image)
{
    if (!image || CheckHeader(image) != PNG_OK)
        return 0;
    return size_t(image->width) * image->height * image->bytesPerPixel;
}

size_t PngReadMemory(void* buffer, size_t size, size_t count, void* stream)
{
    PngMemoryStream* memory = static_cast<PngMemoryStream*>(stream);
    if (size == 0 || count == 0 || !memory)
        return 0;
    size_t available = memory->position < memory->size ? memory->size - memory->position : 0;
    size_t items = available / size < count ? available / size : count;
    if (buffer && items > 0)
        std::memcpy(buffer, memory->data + memory->position, items * size);
    // A skip past the end moves to the end: later reads come up short.
    memory->position += (items < count) ? available : items * size;
    return items;
}

const char* png_result_text(int code, const png_image* image)
{
    switch (code) {
    case PNG_DONE:
    case PNG_OK: return "no error";
    case PNG_FILE_ERROR: return "the file cannot be read or is cut short";
    case PNG_HEADER_ERROR: return "not a PNG file";
    case PNG_EOF_ERROR: return "the file ends inside the PNG header";
    case PNG_CRC_ERROR: return "the file is damaged (a chunk's checksum or length is wrong)";
    case PNG_MEMORY_ERROR: return "out of memory";
    case PNG_ZLIB_ERROR: return "the image data is damaged or incomplete";
    case PNG_FILTER_ERROR: return "the image data is damaged (unknown row filter)";
    case PNG_WRONG_ARGUMENTS: return "nothing to read from";
    case PNG_NOT_SUPPORTED:
        if (!image)
            return "a kind of PNG this game does not read: save as 8-bit RGB or RGBA";
        if (image->colorType == 3)
            return "palette images are not supported: save as RGB or RGBA";
        if (Channels(image->colorType) == 0)
            return "unknown colour type: save as RGB or RGBA";
        if (image->depth != 8 && image->depth != 16)
            return "fewer than 8 bits per sample are not supported: save as 8-bit RGB or RGBA";
        if (image->interlaceMethod != 0)
            return "interlaced images are not supported: save without interlacing";
        return "the image is empty or too large (at most 16384 pixels on a side)";
    default: return "unknown error";
    }
}
