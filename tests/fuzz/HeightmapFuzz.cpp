// Feeds arbitrary bytes to the heightmap reader and the chunk builder. An
// accepted image gives H / 50 chunks whose indices stay inside their vertices
// and whose normals are finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "scene/BackgroundModel.h"
#include "scene/Board.h"
#include "scene/Heightmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Heightmap map;
    if (!map.Decode(data, size))
        return 0;
    if (map.GetWidth() < 1 || map.GetHeight() < 1 ||
        static_cast<size_t>(map.GetWidth()) * static_cast<size_t>(map.GetHeight()) + 18 > size)
        abort();
    const auto chunks = Board::BuildChunks(map);
    if (chunks.size() != static_cast<size_t>(map.GetHeight() / Board::kChunkRows))
        abort();
    for (const auto& chunk : chunks) {
        const size_t vertices = static_cast<size_t>(chunk->GetVertexCount());
        if (vertices != static_cast<size_t>(51 * map.GetWidth()))
            abort();
        for (uint32_t index : chunk->GetIndices())
            if (index >= vertices)
                abort();
        for (float value : chunk->GetNormals())
            if (!std::isfinite(value))
                abort();
    }
    return 0;
}
