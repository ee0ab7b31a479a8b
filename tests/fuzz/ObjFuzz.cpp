// Feeds arbitrary bytes to the OBJ loader. Whatever it accepts must index
// only vertices it has and carry finite, unit-or-zero normals and tangents.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/Model.h"

namespace {

void CheckUnitOrZero(const std::vector<float>& vectors)
{
    for (size_t i = 0; i + 2 < vectors.size(); i += 3) {
        const float x = vectors[i], y = vectors[i + 1], z = vectors[i + 2];
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
            abort();
        const float squared = x * x + y * y + z * z;
        if (squared != 0.0f && std::fabs(squared - 1.0f) > 1e-3f)
            abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Model model;
    const bool loaded = model.LoadObjText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.obj");
    const size_t vertices = static_cast<size_t>(model.GetVertexCount());
    if (!loaded && (vertices != 0 || model.GetTriangleCount() != 0))
        abort();
    if (model.GetIndices().size() != static_cast<size_t>(model.GetTriangleCount()) * 3)
        abort();
    for (uint32_t index : model.GetIndices())
        if (index >= vertices)
            abort();
    if (model.GetNormals().size() != vertices * 3)
        abort();
    CheckUnitOrZero(model.GetNormals());
    if (model.HasTexCoords()) {
        if (model.GetTexCoords().size() != vertices * 2 || model.GetTangents().size() != vertices * 3)
            abort();
        CheckUnitOrZero(model.GetTangents());
        CheckUnitOrZero(model.GetBitangents());
    }
    return 0;
}
