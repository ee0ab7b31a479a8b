#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Frustum.h"
#include "scene/Heightmap.h"
#include "tests/scene/TgaFile.h"

namespace {

// Column-major 4x4 matrices, as GL keeps them.
using Matrix = std::vector<float>;

Matrix Multiply(const Matrix& a, const Matrix& b)
{
    Matrix m(16, 0.0f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                m[j * 4 + i] += a[k * 4 + i] * b[j * 4 + k];
    return m;
}

Matrix Perspective(float fovy, float aspect, float zNear, float zFar)
{
    const float f = 1.0f / std::tan(fovy * 3.14159265f / 360.0f);
    Matrix m(16, 0.0f);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0f;
    m[14] = 2.0f * zFar * zNear / (zNear - zFar);
    return m;
}

// Looks down -y, tilted by `dz` in z, with up +z as the game's camera does,
// from (ex, ey, ez) in the frame of the terrain shifted by `shift`: the
// rotation's rows are s = (-1, 0, 0), u = (0, f.z, -f.y), -f.
Matrix LookDown(float ex, float ey, float ez, float dz, float shiftX, float shiftY)
{
    const float length = std::sqrt(ey * ey + dz * dz), fy = -ey / length, fz = dz / length;
    const float tx = shiftX - ex, ty = shiftY - ey, tz = -ez;
    return {-1, 0, 0, 0, 0, fz, -fy, 0, 0, -fy, -fz, 0, -tx, fz * ty - fy * tz, -fy * ty - fz * tz, 1};
}

bool InsideClipVolume(const Matrix& m, const float* p)
{
    float c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = m[i] * p[0] + m[4 + i] * p[1] + m[8 + i] * p[2] + m[12 + i];
    return c[3] > 0.0f && std::fabs(c[0]) < c[3] && std::fabs(c[1]) < c[3] && std::fabs(c[2]) < c[3];
}

struct Count {
    int seen = 0;     // triangles with a vertex inside the view volume
    int missed = 0;   // of those, left out of the ranges
    int drawn = 0;
    int total = 0;
};

Count Cull(const std::vector<std::unique_ptr<BackgroundModel>>& chunks, const Matrix& projection,
           const Matrix& modelview)
{
    const Frustum frustum(projection.data(), modelview.data());
    const Matrix clip = Multiply(projection, modelview);
    Count count;
    for (const auto& chunk : chunks) {
        std::vector<int> firsts, counts;
        chunk->VisibleRanges(frustum, firsts, counts);
        std::vector<bool> drawn(chunk->GetTriangleCount(), false);
        for (size_t i = 0; i < firsts.size(); ++i)
            for (int t = firsts[i] / 3; t < (firsts[i] + counts[i]) / 3; ++t)
                drawn[t] = true;
        const auto& indices = chunk->GetIndices();
        const auto& positions = chunk->GetPositions();
        for (int t = 0; t < chunk->GetTriangleCount(); ++t) {
            const uint32_t* v = &indices[t * 3];
            if (v[0] == v[1] && v[1] == v[2])
                continue;  // the degenerate filler past each row
            ++count.total;
            count.drawn += drawn[t];
            bool seen = false;
            for (int k = 0; k < 3; ++k)
                seen = seen || InsideClipVolume(clip, &positions[v[k] * 3]);
            count.seen += seen;
            count.missed += seen && !drawn[t];
        }
    }
    return count;
}

}  // namespace

TEST(TerrainCulling, DrawsEveryCellInViewAndFewOthers)
{
    const auto chunks =
        Board::BuildChunks([] {
            Heightmap map;
            const auto bytes = MakeTga(160, 201, [](int x, int z) { return (x * 37 + z * 91) % 256; });
            EXPECT_TRUE(map.Decode(bytes.data(), bytes.size()));
            return map;
        }());
    ASSERT_EQ(chunks.size(), 4u);
    const struct {
        float viewX, viewZ, tilt, aspect;
    } views[] = {
        {0.0f, 1500.0f, 0.0f, 4.0f / 3.0f},     // the game's camera, mid-terrain
        {900.0f, 300.0f, 0.0f, 4.0f / 3.0f},    // off to one side, near the start
        {-1200.0f, 4400.0f, 0.0f, 16.0f / 9.0f},  // past the far edge
        {0.0f, 2000.0f, 700.0f, 4.0f / 3.0f},   // tilted forward
    };
    for (const auto& v : views) {
        const Matrix projection = Perspective(45.0f, v.aspect, 1.0f, 50000.0f);
        const Matrix modelview = LookDown(v.viewX, 1000.0f, v.viewZ, v.tilt, -v.viewX / 2.0f, Board::kLayerDepth);
        const Count c = Cull(chunks, projection, modelview);
        EXPECT_GT(c.seen, 1000) << v.viewX << ", " << v.viewZ;
        EXPECT_EQ(c.missed, 0) << v.viewX << ", " << v.viewZ;
        EXPECT_LT(c.drawn, c.total / 2) << v.viewX << ", " << v.viewZ;
    }

    // Matrices that are not numbers cull nothing rather than everything.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Count c = Cull(chunks, Perspective(45.0f, 4.0f / 3.0f, 1.0f, 50000.0f), Matrix(16, nan));
    EXPECT_EQ(c.drawn, c.total);
}
