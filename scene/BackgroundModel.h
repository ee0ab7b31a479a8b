// One strip (chunk) of the terrain: a Model with positions, normals and
// indices only, and the world z range it covers for culling. It owns copies
// of the arrays it was built from.
#pragma once

#include <cstdint>

#include "render/Model.h"

class BackgroundModel : public Model {
public:
    // Copies n vertices (3n floats of positions and of normals) and 2n
    // triangles (6n indices), then normalises the normals.
    BackgroundModel(const float* positions, const float* normals, const uint32_t* indices, int n, int zEnd,
                    int zStart);
    ~BackgroundModel() override;

    int GetZEnd() const { return zEnd; }
    int GetZStart() const { return zStart; }

private:
    int zEnd;
    int zStart;
};
