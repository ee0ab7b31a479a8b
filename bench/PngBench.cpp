// Decoding time of the game's PNG reader against the reference PNG library on
// the same in-memory files: photo-like content (smooth gradients, noise and
// shapes) encoded with the reference encoder's default filters and level, and
// once with the costliest filter (Paeth) forced on every row.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/support/LibpngDecoder.h"
#include "render/png/Png.h"
#include "tests/support/PngWriter.h"

namespace {

struct TestImage {
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> file;
};

// Deterministic: the same bytes on every run and machine.
TestImage MakeImage(uint32_t width, uint32_t height, int channels, int filter = -1)
{
    TestImage image;
    image.pixels.resize(size_t(width) * height * channels);
    uint32_t noise = 12345;
    struct Disc {
        double x, y, radius;
        int r, g, b, a;
    } discs[] = {{0.3, 0.35, 0.18, 220, 60, 40, 255},
                 {0.7, 0.6, 0.22, 30, 140, 200, 180},
                 {0.55, 0.2, 0.08, 240, 230, 90, 255},
                 {0.2, 0.8, 0.12, 90, 200, 110, 120}};
    for (uint32_t y = 0; y < height; ++y) {
        double v = double(y) / height;
        for (uint32_t x = 0; x < width; ++x) {
            double u = double(x) / width;
            double c[4] = {120 + 90 * std::sin(u * 5 + v * 2), 60 + 150 * u * v, 200 - 120 * v + 30 * std::cos(u * 9),
                           255 - 80 * u};
            for (const Disc& d : discs) {
                double distance = std::hypot(u - d.x, v - d.y) / d.radius;
                if (distance < 1) {
                    double shade = 1 - 0.5 * distance * distance;  // a lit sphere
                    c[0] = d.r * shade;
                    c[1] = d.g * shade;
                    c[2] = d.b * shade;
                    c[3] = d.a;
                }
            }
            if (u > 0.1 && u < 0.4 && v > 0.55 && v < 0.65)  // a flat panel
                c[0] = c[1] = c[2] = 70;
            uint8_t* p = &image.pixels[(size_t(y) * width + x) * channels];
            for (int i = 0; i < channels; ++i) {
                noise = noise * 1664525u + 1013904223u;
                double value = c[i] + (i < 3 ? int(noise >> 28) - 8 : 0);  // grain of +-8
                p[i] = uint8_t(value < 0 ? 0 : value > 255 ? 255 : value);
            }
        }
    }
    PngWriteOptions options;
    options.width = width;
    options.height = height;
    options.colorType = channels == 4 ? 6 : 2;
    options.filter = filter;
    image.file = WritePng(options, image.pixels);
    return image;
}

const TestImage& Rgba1024()
{
    static const TestImage image = MakeImage(1024, 1024, 4);
    return image;
}

const TestImage& Rgba1024Paeth()
{
    static const TestImage image = MakeImage(1024, 1024, 4, 4);
    return image;
}

const TestImage& Rgb2048()
{
    static const TestImage image = MakeImage(2048, 2048, 3);
    return image;
}

bool DecodeOurs(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    PngMemoryStream memory{file.data(), file.size()};
    if (png_open(&image, PngReadMemory, &memory) != PNG_OK)
        return false;
    pixels.resize(PngOutputSize(&image));
    return png_decode(&image, pixels.data()) == PNG_OK;
}

template <bool (*Decode)(const std::vector<uint8_t>&, std::vector<uint8_t>&)>
void Run(benchmark::State& state, const TestImage& image)
{
    std::vector<uint8_t> pixels;
    if (!Decode(image.file, pixels) || pixels != image.pixels) {
        state.SkipWithError("decoded pixels differ from the encoded ones");
        return;
    }
    for (auto _ : state) {
        Decode(image.file, pixels);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
    state.counters["file_bytes"] = double(image.file.size());
}

void Ours_Rgba1024(benchmark::State& state) { Run<DecodeOurs>(state, Rgba1024()); }
void Libpng_Rgba1024(benchmark::State& state) { Run<DecodeWithLibpng>(state, Rgba1024()); }
void Ours_Rgba1024Paeth(benchmark::State& state) { Run<DecodeOurs>(state, Rgba1024Paeth()); }
void Libpng_Rgba1024Paeth(benchmark::State& state) { Run<DecodeWithLibpng>(state, Rgba1024Paeth()); }
void Ours_Rgb2048(benchmark::State& state) { Run<DecodeOurs>(state, Rgb2048()); }
void Libpng_Rgb2048(benchmark::State& state) { Run<DecodeWithLibpng>(state, Rgb2048()); }

}  // namespace

BENCHMARK(Ours_Rgba1024)->Unit(benchmark::kMillisecond);
BENCHMARK(Libpng_Rgba1024)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Rgba1024Paeth)->Unit(benchmark::kMillisecond);
BENCHMARK(Libpng_Rgba1024Paeth)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Rgb2048)->Unit(benchmark::kMillisecond);
BENCHMARK(Libpng_Rgb2048)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
