#include <gtest/gtest.h>

#include <cmath>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Heightmap.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/TestFiles.h"

namespace {

int Flat(int, int) { return 0; }

TEST(Heightmap, AcceptsOnlyUncompressedEightBitGreyscale)
{
    auto edited = [](std::vector<unsigned char> bytes, size_t at, int value) {
        if (at < bytes.size())
            bytes[at] = value;
        else
            bytes.resize(bytes.size() + value);  // grows, or shrinks with value < 0
        return bytes;
    };
    const std::pair<std::vector<unsigned char>, bool> cases[] = {
        {MakeTga(4, 3, Flat), true},
        {edited(TgaHeader(4, 3, 2), SIZE_MAX, 12), false},      // colour
        {edited(TgaHeader(4, 3, 3, 24), SIZE_MAX, 36), false},  // 24 bits per pixel
        {edited(MakeTga(4, 3, Flat), 0, 1), false},             // identification field
        {TgaHeader(0, 3), false},
        {edited(MakeTga(4, 3, Flat), SIZE_MAX, -1), false},     // one pixel short
        {TgaHeader(65535, 65535), false},
    };
    for (const auto& [bytes, ok] : cases) {
        Heightmap map;
        EXPECT_EQ(map.Decode(bytes.data(), bytes.size()), ok) << &bytes - &cases[0].first;
        EXPECT_EQ(map.GetWidth(), ok ? 4 : 0);
    }

    // Row z grows by 10 grey levels (23 units) per row: a 45 degree slope
    // along +z, whose face normals are (0, 1, -1) / sqrt 2.
    Heightmap map;
    const auto slope = MakeTga(5, 3, [](int, int z) { return z * 10; });
    ASSERT_TRUE(map.Decode(slope.data(), slope.size()));
    std::vector<float> positions, normals;
    map.BuildGrid(positions, normals);
    ASSERT_EQ(positions.size(), 45u);
    // Vertex z * W + x at ((x - W / 2) * 23, pixel * 2.3, z * 23).
    EXPECT_EQ(std::vector<float>(positions.begin() + 14 * 3, positions.begin() + 15 * 3),
              (std::vector<float>{2 * 23.0f, 20 * 2.3f, 2 * 23.0f}));
    EXPECT_FLOAT_EQ(positions[0], -2 * 23.0f);
    for (size_t v = 0; v < 15; ++v)
        EXPECT_TRUE(normals[v * 3] == 0 && normals[v * 3 + 1] > 0 && std::fabs(normals[v * 3 + 1] + normals[v * 3 + 2]) < 1e-4f) << v;
    // An interior vertex sums six triangles' unit normals.
    EXPECT_NEAR(normals[(1 * 5 + 2) * 3 + 1], 6 / std::sqrt(2.0f), 1e-4f);
}

// Chunks of fifty rows plus the next chunk's first; at the end the missing
// row repeats the last one.
TEST(Board, CutsTheGridIntoChunksThatShareARow)
{
    const int w = 3;
    Heightmap map;
    const auto bytes = MakeTga(w, 100, [](int x, int z) { return (z * 2 + x) % 256; });
    ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
    auto chunks = Board::BuildChunks(map);
    ASSERT_EQ(chunks.size(), 2u);
    const auto &first = *chunks[0], &second = *chunks[1];
    EXPECT_TRUE(first.GetVertexCount() == 51 * w && first.GetZEnd() == 1150 && second.GetZEnd() == 2300);
    for (int i = 0; i < w * 3; ++i) {
        EXPECT_EQ(first.GetPositions()[50 * w * 3 + i], second.GetPositions()[i]);
        EXPECT_EQ(first.GetNormals()[50 * w * 3 + i], second.GetNormals()[i]);
        EXPECT_EQ(second.GetPositions()[50 * w * 3 + i], second.GetPositions()[49 * w * 3 + i]);
    }
    EXPECT_FLOAT_EQ(second.GetPositions()[(49 * w + 1) * 3 + 2], 99 * 23.0f);
}

TEST(Board, DrawsOnlyChunksWithinAThousandUnitsOfTheView)
{
    // Chunks cover [0, 1150), [1150, 2300), ... [6900, 8050).
    TempDir dir;
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(dir.Write("map.tga", MakeTga(2, 350, Flat))); });
    ASSERT_EQ(board.GetChunks().size(), 7u);
    const std::pair<float, std::vector<int>> cases[] = {
        {5000.0f, {3450, 4600, 5750}},
        {150.0f, {0}},  // the second chunk starts exactly at view + 1000: the bounds are strict
        {150.5f, {0, 1150}},
        {9050.0f, {}},  // the last one ends exactly at view - 1000
    };
    for (const auto& [viewZ, expected] : cases) {
        std::vector<int> starts;
        for (BackgroundModel* chunk : board.VisibleChunks(viewZ))
            starts.push_back(chunk->GetZStart());
        EXPECT_EQ(starts, expected) << "view z " << viewZ;
    }
    // (2 * length / 1075) / 2 in integers, without overflow.
    for (auto [length, repeat] : {std::pair{10000, 9}, {1074, 0}, {2147483647, 1997659}})
        EXPECT_EQ(Board::ForegroundRepeat(length), repeat) << length;
}

TEST(Board, LoadHeightmapReportsTrianglesOrFailure)
{
    TempDir dir;
    const std::string loading = "  Loading heightmap...\n", failed = loading + "  Failed to load heightmap.\n  ";
    const struct {
        std::string path, output;
        size_t chunks;
    } cases[] = {
        {dir.Write("a.tga", MakeTga(100, 101, Flat)), loading + "    Loaded 20400-triangle heightmap\n", 2},
        {dir.Write("b.tga", MakeTga(100, 49, Flat)), loading + "    Loaded 0-triangle heightmap\n", 0},
        {dir.Write("d.tga", TgaHeader(100, 101)), failed + dir.Path() + "d.tga: ends after 0 of its 10100 pixels\n", 0},
        {dir.Path() + "missing.tga", failed + dir.Path() + "missing.tga: cannot be opened: No such file or directory\n", 0},
    };
    for (const auto& c : cases) {
        // Each load replaces a board that had terrain: a failure leaves none.
        Board board(nullptr, nullptr, nullptr);
        CaptureStdout([&] { board.LoadHeightmap(dir.Write("good.tga", MakeTga(10, 60, Flat))); });
        ASSERT_EQ(board.GetChunks().size(), 1u);
        bool ok = false;
        EXPECT_EQ(CaptureStdout([&] { ok = board.LoadHeightmap(c.path); }), c.output) << c.path;
        EXPECT_EQ(ok, c.output.find("Failed") == std::string::npos) << c.path;
        EXPECT_EQ(board.GetChunks().size(), c.chunks) << c.path;
        for (const auto& chunk : board.GetChunks())
            EXPECT_EQ(chunk->GetShaderParameters(), board.GetGroundParameters()) << "chunks share the ground uniforms";
    }
}

}  // namespace
