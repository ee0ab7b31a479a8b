// A scene node holding one indexed triangle mesh, drawn with one
// glDrawElements call. Filled from a small OBJ subset (LoadObj) or by the
// terrain builder. The arrays stay in memory; the first draw copies them into
// GL buffer objects (where the GL has them), so later draws send nothing.
// Carries a shader, its parameters and up to four textures, none of them
// owned; binds them around its draw.
// Tangents arrive in shaders as texture coordinate set 1, bitangents as set 2.
// Draw leaves no program current, 2D texturing off on the units it used, and
// texture unit 0 selected (server and client side).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/SceneNode.h"

class Shader;
class ShaderParameters;
class Texture;

class Model : public SceneNode {
public:
    Model() = default;
    // Deletes the buffer objects, if a draw made them.
    ~Model() override;

    enum class ObjResult { Loaded, Unreadable, Refused };
    // Reads an OBJ file and builds every array. An unreadable file leaves the
    // model empty, silently (the caller knows what the file was for and says
    // so). A malformed one (an index outside the lists read so far, a
    // negative index, a `v` line after the first face, faces of different
    // forms, a face with fewer than three corners of one form, a number that
    // is not finite) is refused whole with one console line naming the file
    // and line, and also leaves the model empty.
    ObjResult LoadObj(const std::string& path);
    // The same over file contents already in memory; `name` is used in the
    // refusal line. Returns false when the text is refused. No GL needed.
    bool LoadObjText(std::string text, const std::string& name);

    void Draw() override;
    // Gives back the buffer objects; the next draw makes them again.
    void ReleaseBuffers();
    bool HasBuffers() const { return arrayBuffer != 0; }

    void SetShader(Shader* s) { shader = s; }
    Shader* GetShader() const { return shader; }
    void SetShaderParameters(ShaderParameters* p) { shaderParameters = p; }
    ShaderParameters* GetShaderParameters() const { return shaderParameters; }
    // Slot 0 to 3; other slots are ignored.
    void SetTexture(Texture* texture, int slot);
    Texture* GetTexture(int slot) const;

    int GetTriangleCount() const { return triangleCount; }
    bool HasTexCoords() const { return hasTexCoords; }
    int GetVertexCount() const { return static_cast<int>(positions.size() / 3); }
    const std::vector<float>& GetPositions() const { return positions; }
    const std::vector<float>& GetNormals() const { return normals; }
    const std::vector<float>& GetTexCoords() const { return texCoords; }
    const std::vector<float>& GetTangents() const { return tangents; }
    const std::vector<float>& GetBitangents() const { return bitangents; }
    const std::vector<uint32_t>& GetIndices() const { return indices; }

protected:
    // Back to the empty model: no triangles, no arrays.
    void Clear();

    friend class ModelBatch;
    // Binds shader, parameters, textures and arrays, leaving out what
    // `previous` (drawn just before and not yet unbound) already bound.
    void Bind(const Model* previous);
    void DrawElements() const;
    // Draws the index ranges [firsts[i], firsts[i] + counts[i]) in one call.
    void DrawElementRanges(const std::vector<int>& firsts, const std::vector<int>& counts) const;
    // Undoes Bind.
    void Unbind() const;
    // Uploads the arrays into buffer objects when there are none yet or they
    // are out of date; false when the GL has no buffer objects.
    bool UploadBuffers();

    int triangleCount = 0;
    bool hasTexCoords = false;
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<uint32_t> indices;
    std::vector<float> tangents;
    std::vector<float> bitangents;
    Shader* shader = nullptr;
    ShaderParameters* shaderParameters = nullptr;
    std::array<Texture*, 4> textures{};
    // Buffer objects (0: none yet), and whether the arrays changed since.
    unsigned int arrayBuffer = 0;
    unsigned int elementBuffer = 0;
    bool buffersStale = true;
};
