#include "tests/support/PngWriter.h"

#include <png.h>

#include <csetjmp>

namespace {

int ChannelsOf(int colorType)
{
    return colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
         : colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 1;
}

int FilterFlag(int filter)
{
    static const int flags[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
    return (filter >= 0 && filter <= 4) ? flags[filter] : PNG_ALL_FILTERS;
}

void AppendBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

void SetText(png_structp png, png_infop info, const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<png_text> texts(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(entries[i].first.c_str());
        texts[i].text = const_cast<char*>(entries[i].second.c_str());
        texts[i].text_length = entries[i].second.size();
    }
    if (!texts.empty())
        png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
}

// Everything that may outlive a longjmp is set up before setjmp in WritePng.
struct WriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<uint8_t> file;
    std::vector<png_bytep> rows;
    std::vector<png_color> palette;
};

}  // namespace

size_t PngRowBytes(const PngWriteOptions& options)
{
    return (size_t(options.width) * ChannelsOf(options.colorType) * options.depth + 7) / 8;
}

std::vector<uint8_t> WritePng(const PngWriteOptions& options, const std::vector<uint8_t>& pixels)
{
    const size_t rowBytes = PngRowBytes(options);
    if (pixels.size() < rowBytes * options.height)
        return {};
    WriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!state.png)
        return {};
    state.info = png_create_info_struct(state.png);
    state.rows.resize(options.height);
    for (uint32_t y = 0; y < options.height; ++y)
        state.rows[y] = const_cast<png_bytep>(pixels.data() + y * rowBytes);
    state.palette.resize(256);
    for (int i = 0; i < 256; ++i)
        state.palette[i] = png_color{png_byte(i), png_byte(i), png_byte(i)};

    if (!state.info || setjmp(png_jmpbuf(state.png))) {
        png_destroy_write_struct(&state.png, &state.info);
        return {};
    }
    png_set_write_fn(state.png, &state.file, AppendBytes, NoFlush);
    png_set_IHDR(state.png, state.info, options.width, options.height, options.depth, options.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (options.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(state.png, state.info, state.palette.data(), 1 << (options.depth < 8 ? options.depth : 8));
    png_set_filter(state.png, PNG_FILTER_TYPE_BASE, FilterFlag(options.filter));
    if (options.idatSize)
        png_set_compression_buffer_size(state.png, options.idatSize);
    SetText(state.png, state.info, options.textBefore);
    png_write_info(state.png, state.info);
    png_write_image(state.png, state.rows.data());
    SetText(state.png, state.info, options.textAfter);
    png_write_end(state.png, state.info);
    png_destroy_write_struct(&state.png, &state.info);
    return std::move(state.file);
}
