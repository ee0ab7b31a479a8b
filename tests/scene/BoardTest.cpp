#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Heightmap.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/TestFiles.h"

namespace {

int Flat(int, int)
{
    return 0;
}

Heightmap Decoded(const std::vector<unsigned char>& bytes)
{
    Heightmap map;
    EXPECT_TRUE(map.Decode(bytes.data(), bytes.size()));
    return map;
}

TEST(Heightmap, AcceptsOnlyUncompressedEightBitGreyscale)
{
    auto edited = [](std::vector<unsigned char> bytes, size_t at, int value) {
        if (at < bytes.size())
            bytes[at] = value;
        else
            bytes.resize(bytes.size() + value);  // grows, or shrinks with value < 0
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        bool ok;
    } cases[] = {
        {"valid 4 x 3", MakeTga(4, 3, Flat), true},
        {"colour image (type 2)", edited(TgaHeader(4, 3, 2), SIZE_MAX, 12), false},
        {"24 bits per pixel", edited(TgaHeader(4, 3, 3, 24), SIZE_MAX, 36), false},
        {"identification field present", edited(MakeTga(4, 3, Flat), 0, 1), false},
        {"width 0", TgaHeader(0, 3), false},
        {"one pixel short", edited(MakeTga(4, 3, Flat), SIZE_MAX, -1), false},
        {"largest size, no pixels", TgaHeader(65535, 65535), false},
    };
    for (const auto& c : cases) {
        Heightmap map;
        EXPECT_EQ(map.Decode(c.bytes.data(), c.bytes.size()), c.ok) << c.name;
        EXPECT_EQ(map.GetWidth(), c.ok ? 4 : 0) << c.name;
    }
}

TEST(Heightmap, GridIsCentredOnXAndNormalsFaceUp)
{
    // Row z grows by 10 grey levels (23 units) per row: a slope rising along +z
    // at 45 degrees, whose face normals are (0, 1, -1) / sqrt 2.
    Heightmap map = Decoded(MakeTga(5, 3, [](int, int z) { return z * 10; }));
    std::vector<float> positions, normals;
    map.BuildGrid(positions, normals);
    ASSERT_EQ(positions.size(), 45u);
    // Vertex z * W + x at ((x - W / 2) * 23, pixel * 2.3, z * 23); W / 2 = 2.
    EXPECT_EQ(std::vector<float>(positions.begin() + 14 * 3, positions.begin() + 15 * 3),
              (std::vector<float>{2 * 23.0f, 20 * 2.3f, 2 * 23.0f}));
    EXPECT_FLOAT_EQ(positions[0], -2 * 23.0f);
    for (size_t v = 0; v < 15; ++v)  // every sum points along the face normal
        EXPECT_TRUE(normals[v * 3] == 0 && normals[v * 3 + 1] > 0 && std::fabs(normals[v * 3 + 1] + normals[v * 3 + 2]) < 1e-4f) << v;
    // An interior vertex collects six triangles: the sums are not yet normalised.
    EXPECT_NEAR(normals[(1 * 5 + 2) * 3 + 1], 6 / std::sqrt(2.0f), 1e-4f);
}

TEST(Board, CutsTheGridIntoChunksOfFiftyRowsAndASharedRow)
{
    const struct {
        int width, height;
        size_t chunks;
        long long triangles;
    } cases[] = {
        {100, 101, 2, 20400},  // 2 chunks of 5100 vertices
        {100, 49, 0, 0},       // fewer than 50 rows: no chunks
        {128, 1601, 32, 32LL * 2 * 51 * 128},
    };
    for (const auto& c : cases) {
        auto chunks = Board::BuildChunks(Decoded(MakeTga(c.width, c.height, [](int x, int z) { return (x * 3 + z) % 256; })));
        ASSERT_EQ(chunks.size(), c.chunks) << c.width << " x " << c.height;
        long long triangles = 0;
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(chunks[i]->GetVertexCount(), 51 * c.width);
            EXPECT_EQ(chunks[i]->GetZEnd(), int((i + 1) * 1150));
            triangles += chunks[i]->GetTriangleCount();
        }
        EXPECT_EQ(triangles, c.triangles) << c.width << " x " << c.height;
    }
}

TEST(Board, SharedRowContinuesIntoTheNextChunkAndClampsAtTheEnd)
{
    // 100 rows is a multiple of 50: the second chunk's shared row would be
    // row 100, which does not exist; it repeats row 99 instead.
    const int w = 3;
    auto chunks = Board::BuildChunks(Decoded(MakeTga(w, 100, [](int x, int z) { return (z * 2 + x) % 256; })));
    ASSERT_EQ(chunks.size(), 2u);
    const auto& first = *chunks[0];
    const auto& second = *chunks[1];
    for (int i = 0; i < w * 3; ++i) {
        // Chunk 0 row 50 is chunk 1 row 0, normals included: shading is continuous.
        EXPECT_EQ(first.GetPositions()[50 * w * 3 + i], second.GetPositions()[i]);
        EXPECT_EQ(first.GetNormals()[50 * w * 3 + i], second.GetNormals()[i]);
        EXPECT_EQ(second.GetPositions()[50 * w * 3 + i], second.GetPositions()[49 * w * 3 + i]);
    }
    EXPECT_FLOAT_EQ(second.GetPositions()[(49 * w + 1) * 3 + 2], 99 * 23.0f);
}

TEST(Board, DrawsOnlyChunksWithinAThousandUnitsOfTheView)
{
    // Chunks cover [0, 1150), [1150, 2300), ... [5750, 6900), [6900, 8050).
    TempDir dir;
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(dir.Write("map.tga", MakeTga(2, 350, Flat))); });
    ASSERT_EQ(board.GetChunks().size(), 7u);
    const struct {
        float viewZ;
        std::vector<int> starts;
    } cases[] = {
        {5000.0f, {3450, 4600, 5750}},
        {150.0f, {0}},  // the second chunk starts exactly at view + 1000: the bounds are strict
        {150.5f, {0, 1150}},
        {9050.0f, {}},  // the last one ends exactly at view - 1000
    };
    for (const auto& c : cases) {
        std::vector<int> starts;
        for (BackgroundModel* chunk : board.VisibleChunks(c.viewZ))
            starts.push_back(chunk->GetZStart());
        EXPECT_EQ(starts, c.starts) << "view z " << c.viewZ;
    }
}

TEST(Board, LoadHeightmapReportsTrianglesOrFailure)
{
    TempDir dir;
    const std::string loading = "  Loading heightmap...\n", failed = loading + "  Failed to load heightmap.\n  ";
    const struct {
        const char* name;
        std::string path;
        std::string output;
        size_t chunks;
    } cases[] = {
        {"100 x 101", dir.Write("a.tga", MakeTga(100, 101, Flat)), loading + "    Loaded 20400-triangle heightmap\n", 2},
        {"truncated", dir.Write("d.tga", TgaHeader(100, 101)),
         failed + dir.Path() + "d.tga: ends after 0 of its 10100 pixels\n", 0},
        {"missing", dir.Path() + "missing.tga", failed + dir.Path() + "missing.tga: cannot be opened: No such file or directory\n", 0},
    };
    for (const auto& c : cases) {
        // Each load replaces a board that had terrain: a failure leaves none.
        Board board(nullptr, nullptr, nullptr);
        CaptureStdout([&] { board.LoadHeightmap(dir.Write("good.tga", MakeTga(10, 60, Flat))); });
        ASSERT_EQ(board.GetChunks().size(), 1u);
        bool ok = false;
        EXPECT_EQ(CaptureStdout([&] { ok = board.LoadHeightmap(c.path); }), c.output) << c.name;
        EXPECT_EQ(ok, c.chunks > 0) << c.name;
        EXPECT_EQ(board.GetChunks().size(), c.chunks) << c.name;
        for (const auto& chunk : board.GetChunks())
            EXPECT_EQ(chunk->GetShaderParameters(), board.GetGroundParameters()) << "chunks share the ground uniforms";
    }
}

TEST(Board, ForegroundRepeatsAlongTwiceTheLevelLength)
{
    // (2 * length / 1075) / 2 in integers.
    const std::pair<int, int> cases[] = {{10000, 9}, {1074, 0}, {2147483647, 1997659}};
    for (auto [length, repeat] : cases)
        EXPECT_EQ(Board::ForegroundRepeat(length), repeat) << length;
}

}  // namespace
