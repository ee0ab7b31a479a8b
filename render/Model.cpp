#include "render/Model.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "core/Problems.h"
#include "core/ReadFile.h"
#include "core/Vec2.h"
#include "core/Vec3.h"
#include "render/GL.h"
#include "render/Shader.h"
#include "render/Texture.h"

namespace {

// The three corner layouts a face may use, tried in this order.
enum class FaceForm { None, PositionTextureNormal, PositionTexture, Position };

const char* FormName(FaceForm form)
{
    switch (form) {
    case FaceForm::PositionTextureNormal: return "v/vt/vn";
    case FaceForm::PositionTexture: return "v/vt";
    case FaceForm::Position: return "v";
    default: return "none";
    }
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads one "%d": optional white space, optional sign, at least one digit.
// Values beyond the int range saturate; they are refused as indices later.
bool ScanInt(const char*& p, int& value)
{
    const char* s = p;
    while (IsSpace(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    if (*s < '0' || *s > '9')
        return false;
    long long v = 0;
    while (*s >= '0' && *s <= '9') {
        if (v < INT_MAX)
            v = v * 10 + (*s - '0');
        ++s;
    }
    if (v > INT_MAX)
        v = INT_MAX;
    value = static_cast<int>(negative ? -v : v);
    p = s;
    return true;
}

// One scan of a face line following a format made of "%d", "/" and " "
// directives, with the semantics of the C scanf family: "%d" skips leading
// white space, "/" must match exactly, " " skips any amount of white space
// (none included). Returns the number of values assigned before the first
// mismatch; values are stored corner by corner into `slots`.
int ScanFace(const char* text, int perCorner, int* const slots[3][3])
{
    const char* p = text;
    int assigned = 0;
    for (int corner = 0; corner < 3; ++corner) {
        for (int k = 0; k < perCorner; ++k) {
            if (k > 0) {
                if (*p != '/')
                    return assigned;
                ++p;
            }
            if (!ScanInt(p, *slots[corner][k]))
                return assigned;
            ++assigned;
        }
        while (IsSpace(*p))
            ++p;
    }
    return assigned;
}

// Reads up to `count` floats as "%f %f %f " does: stops at the first one that
// does not scan, leaving the rest at 0. Returns false on a value that is not
// finite (NaN, infinity or out of float range).
bool ScanFloats(const char* text, float* out, int count)
{
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        errno = 0;
        float value = strtof(p, &end);
        if (end == p)
            return true;
        if (!std::isfinite(value))
            return false;
        out[i] = value;
        p = end;
    }
    return true;
}

// Double precision keeps cross products and tangent sums of any finite float
// input from overflowing, so the normalised results are always finite.
struct Vec3d {
    double x = 0, y = 0, z = 0;
};

Vec3d Sub(const float* a, const float* b)
{
    return {double(a[0]) - b[0], double(a[1]) - b[1], double(a[2]) - b[2]};
}

Vec3d Cross(const Vec3d& a, const Vec3d& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool Finite(const Vec3d& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A zero (or unusable) vector stays zero instead of becoming NaN.
Vec3d Normalized(const Vec3d& v)
{
    double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0) || !std::isfinite(length))
        return {};
    return {v.x / length, v.y / length, v.z / length};
}

void Add(std::vector<double>& sums, uint32_t vertex, const Vec3d& v)
{
    double* s = &sums[vertex * 3];
    s[0] += v.x;
    s[1] += v.y;
    s[2] += v.z;
}

void StoreNormalized(const std::vector<double>& sums, std::vector<float>& out)
{
    for (size_t i = 0; i + 2 < sums.size(); i += 3) {
        Vec3d n = Normalized({sums[i], sums[i + 1], sums[i + 2]});
        out[i] = static_cast<float>(n.x);
        out[i + 1] = static_cast<float>(n.y);
        out[i + 2] = static_cast<float>(n.z);
    }
}

}  // namespace

void Model::SetTexture(Texture* texture, int slot)
{
    if (slot >= 0 && slot < static_cast<int>(textures.size()))
        textures[static_cast<size_t>(slot)] = texture;
}

Texture* Model::GetTexture(int slot) const
{
    if (slot >= 0 && slot < static_cast<int>(textures.size()))
        return textures[static_cast<size_t>(slot)];
    return nullptr;
}

Model::ObjResult Model::LoadObj(const std::string& path)
{
    std::string text;
    if (!ReadWholeFile(path, text))
        return ObjResult::Unreadable;
    return LoadObjText(std::move(text), path) ? ObjResult::Loaded : ObjResult::Refused;
}

void Model::Clear()
{
    buffersStale = true;
    triangleCount = 0;
    hasTexCoords = false;
    positions.clear();
    normals.clear();
    texCoords.clear();
    indices.clear();
    tangents.clear();
    bitangents.clear();
}

bool Model::LoadObjText(std::string text, const std::string& name)
{
    Clear();

    bool texCoordsPresent = true;
    bool computeNormals = true;
    std::vector<Vec3> filePositions;
    std::vector<Vec3> fileNormals;
    std::vector<Vec2> fileTexCoords;
    // Per face: position, texture and normal index of each corner, 0-based
    // for positions and textures, 1-based for normals (0 = none).
    struct Face {
        int v[3], t[3], n[3];
    };
    std::vector<Face> faces;
    FaceForm firstForm = FaceForm::None;

    auto refuse = [&](int line, const char* why) {
        Problems::Load(2, "Refused model " + name + ", line " + std::to_string(line) + ": " + why);
        Clear();
        return false;
    };

    // Lines are cut in place: every line end becomes a terminator, so the C
    // number scanners stop at the end of their line.
    text.push_back('\n');
    char* data = text.data();
    const size_t size = text.size();
    size_t start = 0;
    int lineNumber = 0;
    while (start < size) {
        char* newline = static_cast<char*>(memchr(data + start, '\n', size - start));
        size_t end = static_cast<size_t>(newline - data);
        char* line = data + start;
        start = end + 1;
        ++lineNumber;

        // A stray NUL ends the line, as it would for a line read as a C string.
        size_t length = strnlen(line, end - static_cast<size_t>(line - data));
        while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t' || line[length - 1] == '\n' ||
                              line[length - 1] == '\r'))
            --length;
        line[length] = '\0';
        // The keyword ends at the first space; a tab does not separate it.
        char* space = static_cast<char*>(memchr(line, ' ', length));
        if (!space)
            continue;
        const size_t keywordLength = static_cast<size_t>(space - line);
        const char* args = space + 1;
        auto is = [&](const char* keyword) {
            return strlen(keyword) == keywordLength && memcmp(line, keyword, keywordLength) == 0;
        };

        if (is("v")) {
            if (!faces.empty())
                return refuse(lineNumber, "position after the first face");
            float c[3] = {0, 0, 0};
            if (!ScanFloats(args, c, 3))
                return refuse(lineNumber, "number out of range");
            filePositions.emplace_back(c[0], c[1], c[2]);
        } else if (is("vt")) {
            float c[2] = {0, 0};
            if (!ScanFloats(args, c, 2))
                return refuse(lineNumber, "number out of range");
            fileTexCoords.emplace_back(c[0], c[1]);
        } else if (is("vn")) {
            float c[3] = {0, 0, 0};
            if (!ScanFloats(args, c, 3))
                return refuse(lineNumber, "number out of range");
            fileNormals.emplace_back(c[0], c[1], c[2]);
        } else if (is("f")) {
            Face face{};
            int* slots[3][3];
            for (int c = 0; c < 3; ++c) {
                slots[c][0] = &face.v[c];
                slots[c][1] = &face.t[c];
                slots[c][2] = &face.n[c];
            }
            FaceForm form = FaceForm::None;
            if (ScanFace(args, 3, slots) == 9) {
                form = FaceForm::PositionTextureNormal;
            } else {
                face = Face{};
                if (ScanFace(args, 2, slots) == 6) {
                    form = FaceForm::PositionTexture;
                } else {
                    face = Face{};
                    if (ScanFace(args, 1, slots) == 3)
                        form = FaceForm::Position;
                }
            }
            if (form == FaceForm::None)
                return refuse(lineNumber, "face without three corners of the form v, v/vt or v/vt/vn");
            // One layout per file: a face without normal indices beside faces
            // with them would leave its vertices without a file normal.
            if (firstForm == FaceForm::None) {
                firstForm = form;
            } else if (form != firstForm) {
                char why[96];
                snprintf(why, sizeof why, "face of the form %s after faces of the form %s", FormName(form),
                         FormName(firstForm));
                return refuse(lineNumber, why);
            }
            if (form == FaceForm::PositionTextureNormal)
                computeNormals = false;
            if (form == FaceForm::Position)
                texCoordsPresent = false;

            for (int c = 0; c < 3; ++c) {
                // Only the lists read so far count; negative (relative)
                // indices are not supported and fall outside the range too.
                if (face.v[c] < 1 || face.v[c] > static_cast<int>(filePositions.size()))
                    return refuse(lineNumber, "position index out of range");
                if (form != FaceForm::Position &&
                    (face.t[c] < 1 || face.t[c] > static_cast<int>(fileTexCoords.size())))
                    return refuse(lineNumber, "texture coordinate index out of range");
                if (form == FaceForm::PositionTextureNormal &&
                    (face.n[c] < 1 || face.n[c] > static_cast<int>(fileNormals.size())))
                    return refuse(lineNumber, "normal index out of range");
                face.v[c] -= 1;
                face.t[c] -= 1;
            }
            faces.push_back(face);
        }
    }

    // Each position keeps the normal index of the last face corner that used it.
    std::vector<int> normalIndex(filePositions.size(), 0);
    for (const Face& face : faces)
        for (int c = 0; c < 3; ++c)
            normalIndex[static_cast<size_t>(face.v[c])] = face.n[c];

    // Corners that share a (position, texture coordinate) pair share a vertex;
    // the normal index is not part of the key.
    std::map<std::pair<int, int>, uint32_t> vertexOf;
    indices.reserve(faces.size() * 3);
    for (const Face& face : faces) {
        for (int c = 0; c < 3; ++c) {
            auto [it, inserted] =
                vertexOf.try_emplace({face.v[c], face.t[c]}, static_cast<uint32_t>(vertexOf.size()));
            indices.push_back(it->second);
        }
    }
    triangleCount = static_cast<int>(faces.size());
    hasTexCoords = texCoordsPresent;

    const size_t vertexCount = vertexOf.size();
    positions.assign(vertexCount * 3, 0.0f);
    normals.assign(vertexCount * 3, 0.0f);
    std::vector<double> normalSums(vertexCount * 3, 0.0);
    std::vector<double> tangentSums, bitangentSums;
    if (hasTexCoords) {
        texCoords.assign(vertexCount * 2, 0.0f);
        tangents.assign(vertexCount * 3, 0.0f);
        bitangents.assign(vertexCount * 3, 0.0f);
        tangentSums.assign(vertexCount * 3, 0.0);
        bitangentSums.assign(vertexCount * 3, 0.0);
    }
    for (const auto& [key, vertex] : vertexOf) {
        const Vec3& p = filePositions[static_cast<size_t>(key.first)];
        positions[vertex * 3] = p.x;
        positions[vertex * 3 + 1] = p.y;
        positions[vertex * 3 + 2] = p.z;
        if (!computeNormals) {
            const Vec3& n = fileNormals[static_cast<size_t>(normalIndex[static_cast<size_t>(key.first)] - 1)];
            normalSums[vertex * 3] = n.x;
            normalSums[vertex * 3 + 1] = n.y;
            normalSums[vertex * 3 + 2] = n.z;
        }
        if (hasTexCoords) {
            const Vec2& t = fileTexCoords[static_cast<size_t>(key.second)];
            texCoords[vertex * 2] = t.x;
            texCoords[vertex * 2 + 1] = t.y;
        }
    }

    for (size_t i = 0; i < indices.size(); i += 3) {
        const uint32_t i1 = indices[i], i2 = indices[i + 1], i3 = indices[i + 2];
        const float* p1 = &positions[i1 * 3];
        const Vec3d e1 = Sub(&positions[i2 * 3], p1);
        const Vec3d e2 = Sub(&positions[i3 * 3], p1);
        // Face normals are added even when the file gave normals, so file
        // normals come out blended with the faces around them.
        const Vec3d f = Normalized(Cross(e1, e2));
        Add(normalSums, i1, f);
        Add(normalSums, i2, f);
        Add(normalSums, i3, f);
        if (!hasTexCoords)
            continue;
        const float* t1 = &texCoords[i1 * 2];
        const float* t2 = &texCoords[i2 * 2];
        const float* t3 = &texCoords[i3 * 2];
        const double ds1 = double(t2[0]) - t1[0], ds2 = double(t3[0]) - t1[0];
        const double dt1 = double(t2[1]) - t1[1], dt2 = double(t3[1]) - t1[1];
        const double determinant = ds1 * dt2 - ds2 * dt1;
        // Texture coordinates without area give no tangent direction; such a
        // triangle contributes nothing rather than an infinity.
        if (determinant == 0.0)
            continue;
        const double r = 1.0 / determinant;
        const Vec3d s{(dt2 * e1.x - dt1 * e2.x) * r, (dt2 * e1.y - dt1 * e2.y) * r, (dt2 * e1.z - dt1 * e2.z) * r};
        const Vec3d q{(ds1 * e2.x - ds2 * e1.x) * r, (ds1 * e2.y - ds2 * e1.y) * r, (ds1 * e2.z - ds2 * e1.z) * r};
        if (!Finite(s) || !Finite(q))
            continue;
        for (uint32_t v : {i1, i2, i3}) {
            Add(tangentSums, v, s);
            Add(bitangentSums, v, q);
        }
    }

    StoreNormalized(normalSums, normals);
    if (hasTexCoords) {
        StoreNormalized(tangentSums, tangents);
        StoreNormalized(bitangentSums, bitangents);
    }
    return true;
}

Model::~Model()
{
    ReleaseBuffers();
}

void Model::ReleaseBuffers()
{
    // Only a draw makes buffers, so there is a GL to give them back to.
    if (arrayBuffer)
        glDeleteBuffersARB(1, &arrayBuffer);
    if (elementBuffer)
        glDeleteBuffersARB(1, &elementBuffer);
    arrayBuffer = elementBuffer = 0;
    buffersStale = true;
}

bool Model::UploadBuffers()
{
    if (!GLEW_ARB_vertex_buffer_object)
        return false;
    if (!buffersStale)
        return true;
    if (!arrayBuffer)
        glGenBuffersARB(1, &arrayBuffer);
    if (!elementBuffer)
        glGenBuffersARB(1, &elementBuffer);
    // One buffer of the arrays one after the other, in the order Bind reads them.
    const std::vector<float>* arrays[] = {&positions, &normals, &texCoords, &tangents, &bitangents};
    size_t bytes = 0;
    for (const std::vector<float>* a : arrays)
        bytes += a->size() * sizeof(float);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, arrayBuffer);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(bytes), nullptr, GL_STATIC_DRAW_ARB);
    size_t offset = 0;
    for (const std::vector<float>* a : arrays) {
        const size_t size = a->size() * sizeof(float);
        if (size > 0)
            glBufferSubDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLintptrARB>(offset),
                               static_cast<GLsizeiptrARB>(size), a->data());
        offset += size;
    }
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, elementBuffer);
    glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(indices.size() * sizeof(uint32_t)),
                    indices.data(), GL_STATIC_DRAW_ARB);
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    buffersStale = false;
    return true;
}

void Model::Bind(const Model* previous)
{
    // Models with and without texture coordinates use different arrays and
    // units; between the two, everything is undone and bound afresh.
    if (previous && previous->hasTexCoords != hasTexCoords) {
        previous->Unbind();
        previous = nullptr;
    }
    if (!previous || previous->shader != shader) {
        if (shader)
            shader->Bind();
        else if (previous)
            Shader::Unbind();
    }
    if (shader && shaderParameters)
        shader->SetParameters(*shaderParameters);
    if (!previous) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
    }
    if (hasTexCoords) {
        for (size_t slot = 0; slot < textures.size(); ++slot) {
            Texture* before = previous ? previous->textures[slot] : nullptr;
            if (textures[slot] && textures[slot] != before)
                textures[slot]->Bind(static_cast<int>(slot));
            else if (!textures[slot] && before)
                Texture::Unbind(static_cast<int>(slot));
        }
    }

    // With buffer objects the pointers are offsets into the bound buffer.
    const bool buffered = UploadBuffers();
    const void* at[5];
    const std::vector<float>* arrays[] = {&positions, &normals, &texCoords, &tangents, &bitangents};
    size_t offset = 0;
    for (int i = 0; i < 5; ++i) {
        at[i] = buffered ? reinterpret_cast<const void*>(static_cast<uintptr_t>(offset)) : arrays[i]->data();
        offset += arrays[i]->size() * sizeof(float);
    }
    if (buffered) {
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, arrayBuffer);
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, elementBuffer);
    } else if (previous && previous->arrayBuffer) {
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    }
    if (hasTexCoords) {
        const GLenum units[] = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB, GL_TEXTURE2_ARB};
        const int sizes[] = {2, 3, 3};
        for (int i = 0; i < 3; ++i) {
            glClientActiveTextureARB(units[i]);
            if (!previous)
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(sizes[i], GL_FLOAT, 0, at[2 + i]);
        }
    }
    glVertexPointer(3, GL_FLOAT, 0, at[0]);
    glNormalPointer(GL_FLOAT, 0, at[1]);
}

void Model::DrawElements() const
{
    const void* first = elementBuffer && !buffersStale ? nullptr : indices.data();
    glDrawElements(GL_TRIANGLES, 3 * triangleCount, GL_UNSIGNED_INT, first);
}

void Model::DrawElementRanges(const std::vector<int>& firsts, const std::vector<int>& counts) const
{
    if (firsts.empty())
        return;
    const char* base = elementBuffer && !buffersStale ? nullptr : reinterpret_cast<const char*>(indices.data());
    std::vector<const void*> starts(firsts.size());
    for (size_t i = 0; i < firsts.size(); ++i)
        starts[i] = base + static_cast<size_t>(firsts[i]) * sizeof(uint32_t);
    if (glMultiDrawElements) {
        glMultiDrawElements(GL_TRIANGLES, counts.data(), GL_UNSIGNED_INT, starts.data(),
                            static_cast<GLsizei>(counts.size()));
        return;
    }
    for (size_t i = 0; i < firsts.size(); ++i)
        glDrawElements(GL_TRIANGLES, counts[i], GL_UNSIGNED_INT, starts[i]);
}

void Model::Unbind() const
{
    if (elementBuffer) {
        glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    if (hasTexCoords) {
        for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB, GL_TEXTURE2_ARB}) {
            glClientActiveTextureARB(unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        // Later client-array users expect unit 0, as do texture binds that
        // do not select a unit themselves.
        glClientActiveTextureARB(GL_TEXTURE0_ARB);
        for (size_t slot = 0; slot < textures.size(); ++slot)
            if (textures[slot])
                Texture::Unbind(static_cast<int>(slot));
        glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    if (shader)
        Shader::Unbind();
}

void Model::Draw()
{
    if (triangleCount == 0)
        return;
    Bind(nullptr);
    DrawElements();
    Unbind();
}
