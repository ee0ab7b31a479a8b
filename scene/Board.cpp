#include "scene/Board.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "core/Debug.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "core/System.h"
#include "game/Assets.h"
#include "render/GL.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/BackgroundModel.h"
#include "scene/Frustum.h"
#include "scene/Heightmap.h"
#include "scene/PlayerPosition.h"

namespace {

const int kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {0, 1}, {1, 0}, {1, 1}};

// Truncation towards zero that stays defined for any float.
int TruncateToInt(float value)
{
    if (!(value > static_cast<float>(INT_MIN)))
        return std::isnan(value) ? 0 : INT_MIN;
    if (!(value < static_cast<float>(INT_MAX)))
        return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

Board::Board()
    : Board(Assets::GetTexture("bg.png"), Assets::GetTexture("fg.png"), Assets::GetShader("ground.shdr"))
{
}

Board::Board(Texture* background, Texture* foreground, Shader* ground)
    : bgTexture(background), fgTexture(foreground), groundShader(ground),
      groundParameters(std::make_unique<ShaderParameters>())
{
}

Board::~Board() = default;

std::vector<std::unique_ptr<BackgroundModel>> Board::BuildChunks(const Heightmap& heightmap)
{
    std::vector<std::unique_ptr<BackgroundModel>> result;
    const int w = heightmap.GetWidth();
    const int h = heightmap.GetHeight();
    const int count = h / kChunkRows;
    if (count == 0 || w < 1)
        return result;

    std::vector<float> positions, normals;
    heightmap.BuildGrid(positions, normals);

    const int rows = kChunkRows + 1;
    const size_t n = static_cast<size_t>(rows) * w;
    // The same index layout serves every chunk: indices count from the
    // chunk's first vertex. Entries past the 50 rows of cells stay 0.
    std::vector<uint32_t> indices(6 * n, 0);
    for (int r = 0; r < kChunkRows; ++r)
        for (int x = 0; x + 1 < w; ++x)
            for (int k = 0; k < 6; ++k)
                indices[(static_cast<size_t>(r) * w + x) * 6 + k] =
                    static_cast<uint32_t>((r + kCorners[k][0]) * w + (x + kCorners[k][1]));

    std::vector<float> chunkPositions(3 * n), chunkNormals(3 * n);
    const size_t rowFloats = static_cast<size_t>(w) * 3;
    for (int c = 0; c < count; ++c) {
        for (int r = 0; r < rows; ++r) {
            const int sourceRow = std::min(c * kChunkRows + r, h - 1);
            std::copy_n(&positions[sourceRow * rowFloats], rowFloats, &chunkPositions[r * rowFloats]);
            std::copy_n(&normals[sourceRow * rowFloats], rowFloats, &chunkNormals[r * rowFloats]);
        }
        const int zEnd = static_cast<int>(static_cast<float>((c + 1) * kChunkRows) * Heightmap::kGridSpacing);
        const int zStart = static_cast<int>(static_cast<float>(c * kChunkRows) * Heightmap::kGridSpacing);
        result.push_back(std::make_unique<BackgroundModel>(chunkPositions.data(), chunkNormals.data(),
                                                           indices.data(), static_cast<int>(n), zEnd, zStart));
        result.back()->SetGrid(w, kChunkRows);
    }
    return result;
}

bool Board::LoadHeightmap(const std::string& path)
{
    printf("  Loading heightmap...\n");
    chunks.clear();
    Heightmap heightmap;
    if (!heightmap.Load(path)) {
        printf("  Failed to load heightmap.\n");
        Problems::Load(2, path, 0, heightmap.GetProblem());
        return false;
    }
    chunks = BuildChunks(heightmap);
    for (const auto& chunk : chunks) {
        chunk->SetShader(groundShader);
        chunk->SetShaderParameters(groundParameters.get());
    }
    printf("    Loaded %lld-triangle heightmap\n", GetTriangleCount());
    return true;
}

long long Board::GetTriangleCount() const
{
    long long sum = 0;
    for (const auto& chunk : chunks)
        sum += chunk->GetTriangleCount();
    return sum;
}

bool Board::ChunkVisible(int zStart, int zEnd, float viewZ)
{
    return static_cast<float>(zEnd) > viewZ - kCullMargin && static_cast<float>(zStart) < viewZ + kCullMargin;
}

std::vector<BackgroundModel*> Board::VisibleChunks(float viewZ) const
{
    std::vector<BackgroundModel*> visible;
    for (const auto& chunk : chunks)
        if (ChunkVisible(chunk->GetZStart(), chunk->GetZEnd(), viewZ))
            visible.push_back(chunk.get());
    return visible;
}

int Board::ForegroundRepeat(int levelLength)
{
    const long long stripLength = 2LL * levelLength;
    return static_cast<int>((stripLength / static_cast<long long>(kForegroundHalfWidth)) / 2);
}

void Board::DrawBackdrop()
{
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    glPushMatrix();
    glTranslatef(view.x, kLayerDepth, view.y);
    if (bgTexture)
        bgTexture->Bind(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    const float s = kBackdropHalfSize;
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(-s, -1.0f, -s);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-s, -1.0f, s);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(s, -1.0f, s);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(s, -1.0f, -s);
    glEnd();
    if (bgTexture)
        Texture::Unbind(0);
    glPopMatrix();
}

void Board::DrawGround()
{
    // The terrain is opaque and lies above the backdrop everywhere, so drawn
    // first it hides the backdrop through the depth test and the picture is
    // the same as backdrop first. Twice: a translucent backdrop blended over
    // itself is denser.
    DrawTerrain();
    if (BackdropIsOpaque()) {
        // An opaque backdrop blended over itself gives the same pixels, so
        // once is enough; and without the alpha test and blending (which it
        // does not need) the renderer can skip the pixels the terrain hides
        // before shading them.
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
        DrawBackdrop();
        glPopAttrib();
        return;
    }
    DrawBackdrop();
    DrawBackdrop();
}

bool Board::BackdropIsOpaque() const
{
    if (bgTexture && !bgTexture->IsOpaque())
        return false;
    // Only the usual blend keeps an opaque pixel as it is; an additive one
    // makes the second pass count.
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    return source == GL_SRC_ALPHA && destination == GL_ONE_MINUS_SRC_ALPHA && mode == GL_MODULATE;
}

void Board::DrawTerrain()
{
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    Vec2 player;
    CurrentPlayerPosition(player);

    glPushMatrix();
    glTranslatef(-view.x / 2.0f, kLayerDepth, 0.0f);
    groundParameters->SetInt("plrPosX", TruncateToInt(player.x));
    groundParameters->SetInt("plrPosY", TruncateToInt(player.y));
    groundParameters->SetInt("camY", TruncateToInt(view.y));
    // The camera sees a third of a chunk's cells at most; the rest would be
    // transformed and clipped by the software renderer for nothing.
    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const Frustum frustum(projection, modelview);
    // Chunks out of reach give back their buffer objects: a level is flown
    // once, and keeping them all would hold a second copy of the terrain.
    for (const auto& chunk : chunks) {
        if (ChunkVisible(chunk->GetZStart(), chunk->GetZEnd(), view.y))
            chunk->DrawVisible(frustum);
        else if (chunk->HasBuffers())
            chunk->ReleaseBuffers();
    }
    glPopMatrix();
}

void Board::Draw()
{
    // Untextured, the strip would be an opaque slab over the whole play
    // field; without "fg.png" (already reported as missing) it is left out.
    if (!fgTexture) {
        Debug::EndOfPass("foreground");
        return;
    }
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    const float length = 2.0f * static_cast<float>(GlobalInfo::Instance().GetLevelLength());
    const float repeat = static_cast<float>(ForegroundRepeat(GlobalInfo::Instance().GetLevelLength()));
    const float w = kForegroundHalfWidth;
    const float y = kForegroundHeight;

    glPushMatrix();
    glTranslatef(-view.x, 0.0f, -view.y);
    fgTexture->Bind(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, repeat);
    glVertex3f(-w, y, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-w, y, length);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(w, y, length);
    glTexCoord2f(0.0f, repeat);
    glVertex3f(w, y, 0.0f);
    glEnd();
    Texture::Unbind(0);
    glPopMatrix();
    Debug::EndOfPass("foreground");
}
