// One strip (chunk) of the terrain: a Model with positions, normals and
// indices only, and the world z range it covers for culling. It owns copies
// of the arrays it was built from.
#pragma once

#include <cstdint>
#include <vector>

#include "render/Model.h"

class Frustum;

class BackgroundModel : public Model {
public:
    // Copies n vertices (3n floats of positions and of normals) and 2n
    // triangles (6n indices), then normalises the normals.
    BackgroundModel(const float* positions, const float* normals, const uint32_t* indices, int n, int zEnd,
                    int zStart);
    ~BackgroundModel() override;

    // Declares the vertices a grid of `width` per row whose first `cellRows`
    // rows of cells are indexed row by row, six indices per cell and `width`
    // cells per row (the last of each row degenerate). Only then can the
    // chunk be drawn in part.
    void SetGrid(int width, int cellRows);
    // The index ranges of the cells that may be seen in the frustum, one
    // range per row that has any; with no grid set, every index.
    void VisibleRanges(const Frustum& frustum, std::vector<int>& firsts, std::vector<int>& counts) const;
    // Draws those ranges alone. Cells wholly outside the view volume would
    // be clipped away anyway, so the picture is the same as Draw's.
    void DrawVisible(const Frustum& frustum);

    int GetZEnd() const { return zEnd; }
    int GetZStart() const { return zStart; }

private:
    int gridWidth = 0;
    // Lowest and highest y of each row of cells.
    std::vector<float> rowLow, rowHigh;
    int zEnd;
    int zStart;
};
