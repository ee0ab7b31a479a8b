#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/GlobalInfo.h"
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

TEST(Heightmap, AcceptsOnlyUncompressedEightBitGreyscale)
{
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        bool ok;
    };
    std::vector<unsigned char> shortPixels = MakeTga(4, 3, Flat);
    shortPixels.pop_back();
    std::vector<unsigned char> trailing = MakeTga(4, 3, Flat);
    trailing.push_back(7);
    std::vector<unsigned char> truncatedHeader = TgaHeader(4, 3);
    truncatedHeader.pop_back();
    std::vector<unsigned char> idField = MakeTga(4, 3, Flat);
    idField[0] = 1;
    const Case cases[] = {
        {"valid 4 x 3", MakeTga(4, 3, Flat), true},
        {"bytes after the pixels are ignored", trailing, true},
        {"colour image (type 2)", [] { auto b = TgaHeader(4, 3, 2); b.resize(b.size() + 12); return b; }(), false},
        {"24 bits per pixel", [] { auto b = TgaHeader(4, 3, 3, 24); b.resize(b.size() + 36); return b; }(), false},
        {"identification field present", idField, false},
        {"width 0", TgaHeader(0, 3), false},
        {"height 0", TgaHeader(4, 0), false},
        {"one pixel short", shortPixels, false},
        {"header only", TgaHeader(4, 3), false},
        {"truncated header", truncatedHeader, false},
        {"empty", {}, false},
        {"largest size, no pixels", TgaHeader(65535, 65535), false},
    };
    for (const Case& c : cases) {
        Heightmap map;
        EXPECT_EQ(map.Decode(c.bytes.data(), c.bytes.size()), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(map.GetWidth(), 0) << c.name;
        }
    }
}

TEST(Heightmap, GridIsCentredOnXAndNormalsFaceUp)
{
    // Row z grows by 10 grey levels (23 units) per row: a slope rising along +z
    // at 45 degrees, whose face normals are (0, 1, -1) / sqrt 2.
    const std::vector<unsigned char> bytes = MakeTga(5, 3, [](int, int z) { return z * 10; });
    Heightmap map;
    ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
    std::vector<float> positions, normals;
    map.BuildGrid(positions, normals);
    ASSERT_EQ(positions.size(), 45u);
    // Vertex z * W + x at ((x - W / 2) * 23, pixel * 2.3, z * 23); W / 2 = 2.
    const int vertex = 2 * 5 + 4;
    EXPECT_FLOAT_EQ(positions[vertex * 3], 2 * 23.0f);
    EXPECT_FLOAT_EQ(positions[vertex * 3 + 1], 20 * 2.3f);
    EXPECT_FLOAT_EQ(positions[vertex * 3 + 2], 2 * 23.0f);
    EXPECT_FLOAT_EQ(positions[0], -2 * 23.0f);
    for (size_t v = 0; v < 15; ++v) {
        const float* n = &normals[v * 3];
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        ASSERT_GT(length, 0.0f) << v;
        EXPECT_NEAR(n[0] / length, 0.0f, 1e-5f) << v;
        EXPECT_NEAR(n[1] / length, 1 / std::sqrt(2.0f), 1e-5f) << v;
        EXPECT_NEAR(n[2] / length, -1 / std::sqrt(2.0f), 1e-5f) << v;
    }
    // A corner vertex of an interior cell collects six triangles, an outer
    // corner one or two: the sums are not yet normalised.
    const float* inner = &normals[(1 * 5 + 2) * 3];
    EXPECT_NEAR(inner[1], 6 / std::sqrt(2.0f), 1e-4f);
}

struct ChunkCase {
    int width, height;
    size_t chunks;
    long long triangles;
};

TEST(Board, CutsTheGridIntoChunksOfFiftyRowsAndASharedRow)
{
    const ChunkCase cases[] = {
        {100, 101, 2, 20400},  // 2 chunks of 5100 vertices
        {100, 49, 0, 0},       // fewer than 50 rows: no chunks, still loaded
        {1, 50, 1, 102},       // one column: every triangle degenerate
        {7, 149, 2, 2 * 2 * 51 * 7},
        {128, 1601, 32, 32LL * 2 * 51 * 128},
    };
    for (const ChunkCase& c : cases) {
        const std::vector<unsigned char> bytes = MakeTga(c.width, c.height, [](int x, int z) { return (x * 3 + z) % 256; });
        Heightmap map;
        ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
        Board board(nullptr, nullptr, nullptr);
        auto chunks = Board::BuildChunks(map);
        ASSERT_EQ(chunks.size(), c.chunks) << c.width << " x " << c.height;
        long long triangles = 0;
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(chunks[i]->GetVertexCount(), 51 * c.width);
            EXPECT_EQ(chunks[i]->GetTriangleCount(), 2 * 51 * c.width);
            EXPECT_FALSE(chunks[i]->HasTexCoords());
            EXPECT_EQ(chunks[i]->GetZStart(), static_cast<int>(i * 1150));
            EXPECT_EQ(chunks[i]->GetZEnd(), static_cast<int>((i + 1) * 1150));
            triangles += chunks[i]->GetTriangleCount();
        }
        EXPECT_EQ(triangles, c.triangles) << c.width << " x " << c.height;
    }
}

TEST(Board, ChunkIndicesCoverFiftyRowsOfCellsThenDegenerate)
{
    const std::vector<unsigned char> bytes = MakeTga(4, 60, Flat);
    Heightmap map;
    ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
    auto chunks = Board::BuildChunks(map);
    ASSERT_EQ(chunks.size(), 1u);
    const std::vector<uint32_t>& indices = chunks[0]->GetIndices();
    ASSERT_EQ(indices.size(), 6u * 51 * 4);
    // Cell (row 1, column 2), W = 4: corners (1,2) (2,2) (1,3) and (1,3) (2,2) (2,3).
    const size_t cell = (1 * 4 + 2) * 6;
    EXPECT_EQ(std::vector<uint32_t>(indices.begin() + cell, indices.begin() + cell + 6),
              (std::vector<uint32_t>{6, 10, 7, 7, 10, 11}));
    // The last column has no cell: its six entries stay 0, as does
    // everything past the fiftieth row.
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(indices[(0 * 4 + 3) * 6 + k], 0u);
    for (size_t i = 50 * 4 * 6; i < indices.size(); ++i)
        ASSERT_EQ(indices[i], 0u) << i;
    uint32_t highest = 0;
    for (uint32_t i : indices)
        highest = std::max(highest, i);
    EXPECT_EQ(highest, 51u * 4 - 1);
}

TEST(Board, SharedRowContinuesIntoTheNextChunkAndClampsAtTheEnd)
{
    // 100 rows is a multiple of 50: the second chunk's shared row would be
    // row 100, which does not exist; it repeats row 99 instead.
    const int w = 3;
    const std::vector<unsigned char> bytes = MakeTga(w, 100, [](int x, int z) { return (z * 2 + x) % 256; });
    Heightmap map;
    ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
    auto chunks = Board::BuildChunks(map);
    ASSERT_EQ(chunks.size(), 2u);
    const auto& first = *chunks[0];
    const auto& second = *chunks[1];
    for (int x = 0; x < w; ++x) {
        for (int k = 0; k < 3; ++k) {
            // Chunk 0 row 50 is chunk 1 row 0, normals included: the shading is
            // continuous across the border.
            EXPECT_EQ(first.GetPositions()[(50 * w + x) * 3 + k], second.GetPositions()[(0 * w + x) * 3 + k]);
            EXPECT_EQ(first.GetNormals()[(50 * w + x) * 3 + k], second.GetNormals()[(0 * w + x) * 3 + k]);
            EXPECT_EQ(second.GetPositions()[(50 * w + x) * 3 + k], second.GetPositions()[(49 * w + x) * 3 + k]);
        }
        EXPECT_FLOAT_EQ(second.GetPositions()[(49 * w + x) * 3 + 2], 99 * 23.0f);
        EXPECT_FLOAT_EQ(second.GetPositions()[(49 * w + x) * 3 + 1], ((99 * 2 + x) % 256) * 2.3f);
    }
    // Chunk normals are unit length.
    for (size_t v = 0; v < first.GetNormals().size(); v += 3) {
        const float* n = &first.GetNormals()[v];
        ASSERT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f) << v;
    }
}

TEST(Board, DrawsOnlyChunksWithinAThousandUnitsOfTheView)
{
    // Chunks cover [0, 1150), [1150, 2300), ... [5750, 6900), [6900, 8050).
    const std::vector<unsigned char> bytes = MakeTga(2, 350, Flat);
    TempDir dir;
    std::string path = dir.Write("map.tga", bytes);
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(path); });
    ASSERT_EQ(board.GetChunks().size(), 7u);

    struct Case {
        float viewZ;
        std::vector<int> starts;
    };
    const Case cases[] = {
        // zEnd 4600 > 4000 and zStart 5750 < 6000: chunks 3 and 4, 5.
        {5000.0f, {3450, 4600, 5750}},
        {0.0f, {0}},
        {150.0f, {0}},           // the second chunk starts exactly at view + 1000
        {150.5f, {0, 1150}},
        {-1000.0f, {}},          // the first chunk starts exactly at view + 1000
        {9100.0f, {}},           // the last one ends at 8050, not above view - 1000
        {9049.0f, {6900}},
    };
    for (const Case& c : cases) {
        std::vector<int> starts;
        for (BackgroundModel* chunk : board.VisibleChunks(c.viewZ))
            starts.push_back(chunk->GetZStart());
        EXPECT_EQ(starts, c.starts) << "view z " << c.viewZ;
    }
    // The bounds are strict on both sides.
    EXPECT_FALSE(Board::ChunkVisible(5000, 6000, 4000.0f));   // ends at view - 1000
    EXPECT_TRUE(Board::ChunkVisible(5000, 6000, 4000.5f));
    EXPECT_FALSE(Board::ChunkVisible(6000, 7000, 5000.0f));   // starts at view + 1000
    EXPECT_TRUE(Board::ChunkVisible(6000, 7000, 5000.5f));
}

TEST(Board, LoadHeightmapReportsTrianglesOrFailure)
{
    TempDir dir;
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        bool ok;
        std::string output;
        size_t chunks;
    };
    const Case cases[] = {
        {"100 x 101", MakeTga(100, 101, Flat), true,
         "  Loading heightmap...\n    Loaded 20400-triangle heightmap\n", 2},
        {"fewer than 50 rows", MakeTga(30, 49, Flat), true, "  Loading heightmap...\n    Loaded 0-triangle heightmap\n",
         0},
        {"colour image", TgaHeader(2, 2, 2), false, "  Loading heightmap...\n  Failed to load heightmap.\n", 0},
        {"truncated", TgaHeader(100, 101), false, "  Loading heightmap...\n  Failed to load heightmap.\n", 0},
    };
    for (const Case& c : cases) {
        Board board(nullptr, nullptr, nullptr);
        std::string path = dir.Write("map.tga", c.bytes);
        bool ok = !c.ok;
        EXPECT_EQ(CaptureStdout([&] { ok = board.LoadHeightmap(path); }), c.output) << c.name;
        EXPECT_EQ(ok, c.ok) << c.name;
        EXPECT_EQ(board.GetChunks().size(), c.chunks) << c.name;
    }

    // A failed reload leaves no chunks behind; a missing file fails the same way.
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(dir.Write("good.tga", MakeTga(10, 60, Flat))); });
    ASSERT_EQ(board.GetChunks().size(), 1u);
    std::string out = CaptureStdout([&] { EXPECT_FALSE(board.LoadHeightmap(dir.Path() + "missing.tga")); });
    EXPECT_EQ(out, "  Loading heightmap...\n  Failed to load heightmap.\n");
    EXPECT_TRUE(board.GetChunks().empty());
}

TEST(Board, ChunksShareTheBoardsGroundParameters)
{
    TempDir dir;
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(dir.Write("map.tga", MakeTga(3, 120, Flat))); });
    ASSERT_EQ(board.GetChunks().size(), 2u);
    for (const auto& chunk : board.GetChunks())
        EXPECT_EQ(chunk->GetShaderParameters(), board.GetGroundParameters());
}

TEST(Board, ForegroundRepeatsAlongTwiceTheLevelLength)
{
    const std::pair<int, int> cases[] = {
        {10000, 9},     // (20000 / 1075) / 2 = 18 / 2
        {0, 0},
        {1075, 1},      // 2150 / 1075 = 2
        {1074, 0},      // 2148 / 1075 = 1, / 2 = 0
        {2147483647, 1997659},
    };
    for (auto [length, repeat] : cases)
        EXPECT_EQ(Board::ForegroundRepeat(length), repeat) << length;
}

}  // namespace
