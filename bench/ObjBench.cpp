// Loading a 100,000-triangle OBJ written the way modelling tools write them
// (v/vt/vn faces, six decimals). Goal: under 100 ms. The baseline reads the
// same file's bytes only, to show how much of the time is parsing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/ReadFile.h"
#include "render/Model.h"

namespace {

const int kCells = 224;  // 224 x 224 quads = 100,352 triangles

std::string WriteGrid()
{
    std::string path = (std::filesystem::temp_directory_path() / "vantrel-objbench.obj").string();
    FILE* file = fopen(path.c_str(), "w");
    fprintf(file, "# grid\no Grid\n");
    const int n = kCells + 1;
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            fprintf(file, "v %.6f %.6f %.6f\n", x * 0.5, 0.25 * ((x * 7 + z * 13) % 5), z * 0.5);
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            fprintf(file, "vt %.6f %.6f\n", double(x) / kCells, double(z) / kCells);
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            fprintf(file, "vn %.4f %.4f %.4f\n", 0.0, 1.0, 0.0);
    fprintf(file, "usemtl Ground\ns 1\n");
    for (int z = 0; z < kCells; ++z) {
        for (int x = 0; x < kCells; ++x) {
            int a = z * n + x + 1, b = a + 1, c = a + n, d = c + 1;
            fprintf(file, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, c, c, c, b, b, b);
            fprintf(file, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", b, b, b, c, c, c, d, d, d);
        }
    }
    fclose(file);
    return path;
}

const std::string& GridPath()
{
    static const std::string path = WriteGrid();
    return path;
}

void BM_ReadFileOnly(benchmark::State& state)
{
    for (auto _ : state) {
        std::string text;
        ReadWholeFile(GridPath(), text);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond);

void BM_LoadObj100kTriangles(benchmark::State& state)
{
    int triangles = 0;
    for (auto _ : state) {
        Model model;
        model.LoadObj(GridPath());
        triangles = model.GetTriangleCount();
        benchmark::DoNotOptimize(triangles);
    }
    state.counters["triangles"] = triangles;
}
BENCHMARK(BM_LoadObj100kTriangles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
