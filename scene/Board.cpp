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
    foregroundPieces = 0;
    if (!fgTexture) {
        Debug::EndOfPass("foreground");
        return;
    }
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    const float length = 2.0f * static_cast<float>(GlobalInfo::Instance().GetLevelLength());
    const int repeat = ForegroundRepeat(GlobalInfo::Instance().GetLevelLength());

    glPushMatrix();
    glTranslatef(-view.x, 0.0f, -view.y);
    fgTexture->Bind(0);
    glColor3f(1.0f, 1.0f, 1.0f);
    if (!DrawForegroundBlocks(length, repeat))
        DrawForegroundQuad(length, static_cast<float>(repeat));
    Texture::Unbind(0);
    glPopMatrix();
    Debug::EndOfPass("foreground");
}

void Board::DrawForegroundQuad(float length, float repeat)
{
    const float w = kForegroundHalfWidth;
    const float y = kForegroundHeight;
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
    foregroundPieces = 1;
}

bool Board::ClearTexelsDrawNothing()
{
    // The alpha test throws away a fragment of alpha 0 before it reaches
    // colour or depth, and the texture's alpha passes through unchanged.
    GLint function = 0, mode = 0, program = 0;
    GLfloat reference = 0.0f;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &function);
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return glIsEnabled(GL_ALPHA_TEST) && program == 0 &&
           ((function == GL_GREATER && reference >= 0.0f) || function == GL_NEVER) &&
           (mode == GL_MODULATE || mode == GL_REPLACE);
}

bool Board::DrawForegroundBlocks(float length, int repeat)
{
    // "fg.png" covers the whole view, but most of it is usually clear: only
    // the blocks of the strip that can show anything are drawn, each run of
    // them as a piece of the one quad, with the same texture coordinates.
    const std::vector<bool>& clear = fgTexture->GetClearBlocks();
    const int texWidth = fgTexture->GetWidth(), texHeight = fgTexture->GetHeight();
    const int columns = Texture::BlockCount(texWidth), rows = Texture::BlockCount(texHeight);
    if (clear.empty() || repeat < 1 || !(length > 0.0f) || clear.size() != static_cast<size_t>(columns) * rows ||
        !ClearTexelsDrawNothing())
        return false;

    float projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const Frustum frustum(projection, modelview);
    const float w = kForegroundHalfWidth, y = kForegroundHeight;
    float zMin = 0.0f, zMax = 0.0f;
    if (!frustum.ZRange(0.0f, -w, w, y, y, zMin, zMax))
        return true;  // none of the strip is in view

    // Block boundaries in texture space: row boundary i lies at
    // t = i / rows repeats plus its texel row, column boundary c at s.
    const int block = Texture::kClearBlock;
    auto boundaryT = [&](long long i) {
        return static_cast<float>(i / rows) +
               static_cast<float>(std::min(static_cast<int>(i % rows) * block, texHeight)) /
                   static_cast<float>(texHeight);
    };
    auto boundaryS = [&](int c) {
        return static_cast<float>(std::min(c * block, texWidth)) / static_cast<float>(texWidth);
    };
    // The quad maps s = 1 to x = -w, s = 0 to x = w, t = repeat to z = 0 and
    // t = 0 to z = length.
    const float repeats = static_cast<float>(repeat);
    auto zAt = [&](float t) { return length * (1.0f - t / repeats); };
    auto xAt = [&](float s) { return w - 2.0f * w * s; };
    auto rowAt = [&](float t) {
        const float whole = std::floor(t);
        const float within = std::floor((t - whole) * static_cast<float>(texHeight) / static_cast<float>(block));
        return static_cast<double>(whole) * rows + static_cast<double>(within);
    };

    const long long lastRow = static_cast<long long>(repeat) * rows - 1;
    const double tLow = std::max(0.0, static_cast<double>(repeats * (1.0f - zMax / length)));
    const double tHigh = std::min(static_cast<double>(repeats), static_cast<double>(repeats * (1.0f - zMin / length)));
    if (!(tLow <= tHigh))
        return true;
    const double firstRow = std::max(0.0, rowAt(static_cast<float>(tLow)) - 1.0);
    const double endRow = std::min(static_cast<double>(lastRow), rowAt(static_cast<float>(tHigh)) + 1.0);
    // A view that sees more than a few thousand rows of blocks is not the
    // game's; one quad is cheaper than the bookkeeping there.
    if (!(endRow - firstRow < 4096.0))
        return false;

    glBegin(GL_QUADS);
    for (long long i = static_cast<long long>(firstRow); i <= static_cast<long long>(endRow); ++i) {
        const float t0 = boundaryT(i), t1 = boundaryT(i + 1);
        float xMin = 0.0f, xMax = 0.0f;
        if (!frustum.XRange(0.0f, y, y, zAt(t1), zAt(t0), xMin, xMax))
            continue;
        const float sLow = (w - xMax) / (2.0f * w), sHigh = (w - xMin) / (2.0f * w);
        const int from = std::max(0, static_cast<int>(std::floor(std::max(-1.0f, sLow) * texWidth / block)) - 1);
        const int to = std::min(columns - 1, static_cast<int>(std::ceil(std::min(2.0f, sHigh) * texWidth / block)) + 1);
        const size_t rowStart = static_cast<size_t>(i % rows) * columns;
        for (int c = from; c <= to; ++c) {
            if (clear[rowStart + c])
                continue;
            int end = c;
            while (end + 1 <= to && !clear[rowStart + end + 1])
                ++end;
            const float sa = boundaryS(c), sb = boundaryS(end + 1);
            glTexCoord2f(sb, t1);
            glVertex3f(xAt(sb), y, zAt(t1));
            glTexCoord2f(sb, t0);
            glVertex3f(xAt(sb), y, zAt(t0));
            glTexCoord2f(sa, t0);
            glVertex3f(xAt(sa), y, zAt(t0));
            glTexCoord2f(sa, t1);
            glVertex3f(xAt(sa), y, zAt(t1));
            ++foregroundPieces;
            c = end;
        }
    }
    glEnd();
    return true;
}
