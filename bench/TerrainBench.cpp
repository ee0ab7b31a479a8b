// Building the terrain from a 128 x 1601 heightmap (32 chunks of 6528
// vertices): decoding, the grid with its normals and the chunk copies, as
// Board::LoadHeightmap does after reading the file. Goal: under 30 ms.
// The baseline decodes the image only.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Heightmap.h"

namespace {

std::vector<uint8_t> MakeHeightmap(int width, int height)
{
    std::vector<uint8_t> bytes = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes.push_back(static_cast<uint8_t>(width & 0xff));
    bytes.push_back(static_cast<uint8_t>(width >> 8));
    bytes.push_back(static_cast<uint8_t>(height & 0xff));
    bytes.push_back(static_cast<uint8_t>(height >> 8));
    bytes.push_back(8);
    bytes.push_back(0);
    for (int z = 0; z < height; ++z)
        for (int x = 0; x < width; ++x)
            bytes.push_back(static_cast<uint8_t>((x * x + z * 3) % 97 + (z / 40) % 50));
    return bytes;
}

const std::vector<uint8_t>& Level()
{
    static const std::vector<uint8_t> bytes = MakeHeightmap(128, 1601);
    return bytes;
}

void BM_DecodeOnly(benchmark::State& state)
{
    for (auto _ : state) {
        Heightmap map;
        benchmark::DoNotOptimize(map.Decode(Level().data(), Level().size()));
    }
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);

void BM_BuildTerrain128x1601(benchmark::State& state)
{
    size_t chunks = 0;
    for (auto _ : state) {
        Heightmap map;
        map.Decode(Level().data(), Level().size());
        auto built = Board::BuildChunks(map);
        chunks = built.size();
        benchmark::DoNotOptimize(built.data());
    }
    state.counters["chunks"] = static_cast<double>(chunks);
}
BENCHMARK(BM_BuildTerrain128x1601)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
