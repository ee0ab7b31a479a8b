#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Frustum.h"
#include "scene/Heightmap.h"
#include "tests/scene/TgaFile.h"
#include "tests/support/TestFiles.h"

namespace {

int Flat(int, int) { return 0; }

// (Its grid of positions and normals: ShippedFramesGL's terrain.)
TEST(Heightmap, AcceptsOnlyUncompressedEightBitGreyscale)
{
    const auto good = MakeTga(4, 3, Flat);
    auto colour = TgaHeader(4, 3, 3, 24), named = good, cut = good;
    colour.resize(colour.size() + 36);
    named[0] = 1;  // an identification field
    cut.pop_back();
    const std::pair<std::vector<unsigned char>, bool> cases[] = {
        {good, true}, {colour, false}, {named, false}, {TgaHeader(0, 3), false}, {cut, false},
        {TgaHeader(65535, 65535), false},
    };
    for (const auto& [bytes, ok] : cases) {
        Heightmap map;
        EXPECT_EQ(map.Decode(bytes.data(), bytes.size()), ok) << &bytes - &cases[0].first;
    }

}

// GL's perspective matrix, column-major.
std::vector<float> Perspective(float fovy, float aspect, float zNear, float zFar)
{
    const float f = 1.0f / std::tan(fovy * 3.14159265f / 360.0f);
    std::vector<float> m(16, 0.0f);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0f;
    m[14] = 2.0f * zFar * zNear / (zNear - zFar);
    return m;
}

// Chunks of fifty rows plus the next chunk's first (that it is the next one's
// first: ShippedFramesGL); at the end the missing row repeats the last one. Culled for a camera looking straight down as the
// game's does, every cell with a vertex in view is drawn, and fewer than half
// of all cells are.
TEST(Board, CutsTheGridIntoChunksThatShareARowAndCullsOnlyCellsOutOfView)
{
    const int w = 160;
    const auto bytes = MakeTga(w, 200, [](int x, int z) { return (x * 37 + z * 91) % 256; });
    Heightmap map;
    ASSERT_TRUE(map.Decode(bytes.data(), bytes.size()));
    const auto chunks = Board::BuildChunks(map);
    ASSERT_EQ(chunks.size(), 4u);
    const auto &first = *chunks[0], &last = *chunks[3];
    EXPECT_TRUE(first.GetVertexCount() == 51 * w && first.GetZEnd() == 1150 && chunks[1]->GetZEnd() == 2300);
    for (int i = 0; i < w * 3; ++i)
        EXPECT_EQ(last.GetPositions()[50 * w * 3 + i], last.GetPositions()[49 * w * 3 + i]);
    EXPECT_FLOAT_EQ(last.GetPositions()[(49 * w + 1) * 3 + 2], 199 * 23.0f);

    // The eye 1000 above the player's layer at (x, z); the terrain shifted by -x / 2 and kLayerDepth.
    const float tanHalf = std::tan(22.5f * 3.14159265f / 180.0f), nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float x, z, aspect;
    } views[] = {{0.0f, 1500.0f, 4.0f / 3.0f}, {900.0f, 300.0f, 4.0f / 3.0f}, {-1200.0f, 4400.0f, 16.0f / 9.0f},
                 {nan, 0.0f, 4.0f / 3.0f}};  // a matrix that is not a number culls nothing rather than everything
    for (const auto& v : views) {
        const float shiftX = -v.x / 2.0f, shiftY = Board::kLayerDepth;
        const std::vector<float> modelview = {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, v.x - shiftX, -v.z, shiftY - 1000, 1};
        const Frustum frustum(Perspective(45.0f, v.aspect, 1.0f, 50000.0f).data(), modelview.data());
        int seen = 0, missed = 0, drawn = 0, total = 0;
        for (const auto& chunk : chunks) {
            std::vector<int> firsts, counts;
            chunk->VisibleRanges(frustum, firsts, counts);
            std::vector<bool> inRange(chunk->GetTriangleCount(), false);
            for (size_t i = 0; i < firsts.size(); ++i)
                std::fill(inRange.begin() + firsts[i] / 3, inRange.begin() + (firsts[i] + counts[i]) / 3, true);
            const uint32_t* indices = chunk->GetIndices().data();
            const float* positions = chunk->GetPositions().data();
            for (int t = 0; t < chunk->GetTriangleCount(); ++t) {
                const uint32_t* corner = &indices[t * 3];
                if (corner[0] == corner[1] && corner[1] == corner[2])
                    continue;  // the degenerate filler past each row
                bool inView = false;
                for (int k = 0; k < 3; ++k) {
                    const float* p = &positions[corner[k] * 3];
                    const float depth = 1000 - shiftY - p[1];
                    inView = inView || (std::fabs(p[0] + shiftX - v.x) < depth * tanHalf * v.aspect &&
                                        std::fabs(p[2] - v.z) < depth * tanHalf);
                }
                ++total;
                drawn += inRange[t];
                seen += inView;
                missed += inView && !inRange[t];
            }
        }
        SCOPED_TRACE(testing::Message() << "view at " << v.x << ", " << v.z);
        EXPECT_EQ(missed, 0);
        if (std::isnan(v.x)) {
            EXPECT_EQ(drawn, total);
        } else {
            EXPECT_GT(seen, 1000);
            EXPECT_LT(drawn, total / 2);
        }
    }
}

TEST(Board, DrawsOnlyChunksWithinAThousandUnitsOfTheView)
{
    // Chunks cover [0, 1150), [1150, 2300), ... [6900, 8050). (A view range
    // too short: ShippedFramesGL.)
    TempDir dir;
    Board board(nullptr, nullptr, nullptr);
    CaptureStdout([&] { board.LoadHeightmap(dir.Write("map.tga", MakeTga(2, 350, Flat))); });
    ASSERT_EQ(board.GetChunks().size(), 7u);
    const std::pair<float, std::vector<int>> cases[] = {
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

}  // namespace
