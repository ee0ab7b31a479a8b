// The scenery of a level, in three layers with parallax:
//  1. a backdrop quad ("bg.png") 1000 units below the play plane that moves
//     with the camera and so looks fixed;
//  2. the heightmap terrain, cut into chunks of 50 rows along +z, drawn with
//     "ground.shdr" and culled to the chunks within 1000 units of the view;
//  3. a foreground strip ("fg.png") at y = 25 that passes at twice the
//     camera's rate.
// Layers 1 and 2 are the ground pass (DrawGround: the terrain, then the
// backdrop twice), which the World draws before its children; layer 3 is
// Draw, after the other children. The board
// owns its chunks (not scene-tree children) and the ground parameters.
// Leaves texture unit 0 with 2D texturing off and no program current.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scene/SceneNode.h"

class BackgroundModel;
class Heightmap;
class Shader;
class ShaderParameters;
class Texture;

class Board : public SceneNode {
public:
    static constexpr int kChunkRows = 50;
    static constexpr float kCullMargin = 1000.0f;
    static constexpr float kBackdropHalfSize = 1400.0f;
    static constexpr float kForegroundHalfWidth = 1075.0f;
    static constexpr float kLayerDepth = -1000.0f;
    static constexpr float kForegroundHeight = 25.0f;

    // Looks up "bg.png", "fg.png" and "ground.shdr" in the managers.
    Board();
    // With the resources given (any may be null); for tests and tools.
    Board(Texture* background, Texture* foreground, Shader* groundShader);
    ~Board() override;

    // Prints "  Loading heightmap..." and then the triangle count, or
    // "  Failed to load heightmap." and keeps no chunks.
    bool LoadHeightmap(const std::string& path);

    // Visible terrain chunks, then the backdrop twice (once when it is
    // opaque: the second pass would change nothing).
    void DrawGround();
    // The visible terrain chunks alone.
    void DrawTerrain();
    // The backdrop quad alone.
    void DrawBackdrop();
    // The foreground strip; nothing when "fg.png" is missing.
    void Draw() override;

    // Cuts the grid into chunks: H / 50 chunks of 51 rows each (50 rows and
    // the first row of the next chunk), 51 * W vertices and 2 * 51 * W
    // triangles, the ones past row 50 degenerate. When H is a multiple of 50
    // the last chunk has no next row; its shared row repeats the grid's last
    // row, so nothing past the grid is read.
    static std::vector<std::unique_ptr<BackgroundModel>> BuildChunks(const Heightmap& heightmap);
    // Chunk z range [zStart, zEnd] against the view's z.
    static bool ChunkVisible(int zStart, int zEnd, float viewZ);
    // The chunks the ground pass draws for a view at z = viewZ, in z order.
    std::vector<BackgroundModel*> VisibleChunks(float viewZ) const;
    // How often "fg.png" repeats along a strip twice the level's length.
    static int ForegroundRepeat(int levelLength);

    const std::vector<std::unique_ptr<BackgroundModel>>& GetChunks() const { return chunks; }
    ShaderParameters* GetGroundParameters() const { return groundParameters.get(); }
    // How many quads the last Draw cut the strip into: 1 for the whole strip.
    int GetForegroundPieces() const { return foregroundPieces; }
    // Sum of the chunks' triangle counts, as printed after loading.
    long long GetTriangleCount() const;

private:
    // Whether drawing the backdrop a second time would change nothing.
    bool BackdropIsOpaque() const;
    // Whether a fragment of alpha 0 from the strip's texture leaves no trace.
    static bool ClearTexelsDrawNothing();
    // The strip as one quad.
    void DrawForegroundQuad(float length, float repeat);
    // Only the parts of the strip that can show anything; false, drawing
    // nothing, where that cannot be worked out.
    bool DrawForegroundBlocks(float length, int repeat);

    Texture* bgTexture = nullptr;
    Texture* fgTexture = nullptr;
    Shader* groundShader = nullptr;
    std::vector<std::unique_ptr<BackgroundModel>> chunks;
    std::unique_ptr<ShaderParameters> groundParameters;
    int foregroundPieces = 0;
};
