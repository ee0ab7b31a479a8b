#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/Model.h"
#include "tests/support/TestFiles.h"

// Degenerate triangles (zero area, collinear texture coordinates) must leave
// finite vectors: the ObjFuzz corpus replay checks that on every input.

namespace {

const float kHalfRoot2 = 0.70710678f;

// Checks vertex `vertex` of an x, y, z array, or every vertex when it is -1.
void ExpectVec3(const std::vector<float>& array, int vertex, float x, float y, float z, const std::string& what)
{
    ASSERT_GE(array.size(), size_t(vertex * 3 + 3)) << what;
    const float expected[3] = {x, y, z};
    const size_t first = vertex < 0 ? 0 : vertex, last = vertex < 0 ? array.size() / 3 : vertex + 1;
    for (size_t v = first; v < last; ++v)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(array[v * 3 + k], expected[k], 1e-5f) << what << " vertex " << v << " component " << k;
}

// Loads `text` quietly and returns what the loader printed.
std::string Load(Model& model, const std::string& text, bool* ok = nullptr)
{
    bool result = false;
    std::string out = CaptureStdout([&] { result = model.LoadObjText(text, "test.obj"); });
    if (ok)
        *ok = result;
    return out;
}

TEST(ModelObj, CornersShareAVertexOnlyWhenPositionAndTextureMatch)
{
    const struct {
        const char* name;
        const char* faces;
        int vertices;
        std::vector<uint32_t> indices;
    } cases[] = {
        {"same position, same texture: shared", "f 1/1 2/2 3/3\nf 1/1 3/3 4/4\n", 4, {0, 1, 2, 0, 2, 3}},
        {"same position, other texture: split", "f 1/1 2/2 3/3\nf 1/4 3/3 4/4\n", 5, {0, 1, 2, 3, 2, 4}},
        {"normal index is not part of the key", "f 1/1/1 2/2/1 3/3/1\nf 1/1/2 3/3/2 4/4/2\n", 4,
         {0, 1, 2, 0, 2, 3}},
        {"positions only: shared by position", "f 1 2 3\nf 3 2 4\n", 4, {0, 1, 2, 2, 1, 3}},
    };
    const std::string head =
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0 0 1\n";
    for (const auto& c : cases) {
        Model model;
        Load(model, head + c.faces);
        EXPECT_EQ(model.GetVertexCount(), c.vertices) << c.name;
        EXPECT_EQ(model.GetIndices(), c.indices) << c.name;
    }
}

TEST(ModelObj, FileNormalsAreBlendedWithFaceNormals)
{
    // File normal +x plus the unit face normal +z, normalised.
    Model model;
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 1 0 0\nf 1/1/1 2/2/1 3/3/1\n");
    ExpectVec3(model.GetNormals(), -1, kHalfRoot2, 0, kHalfRoot2, "blended normal");

    // Position-only faces folded along the edge 1-2, one facing +z, the other
    // +y: the shared edge gets their average, and there are no texture arrays.
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 4 2\n");
    EXPECT_FALSE(model.HasTexCoords());
    ExpectVec3(model.GetNormals(), 0, 0, kHalfRoot2, kHalfRoot2, "shared edge");
    ExpectVec3(model.GetNormals(), 3, 0, 1, 0, "second face only");
}

TEST(ModelObj, ReadsAFileAsAModellingToolWritesIt)
{
    // Comments, material library, object and group names, smoothing, material
    // switches, CRLF, three-component texture coordinates, a quad (of which
    // only the first three corners count), blank lines and trailing blanks.
    const std::string text =
        "# Exported by a modelling tool\r\nmtllib crate.mtl\r\no Crate\r\n"
        "v -1.000000 -1.000000 1.000000\r\nv 1.000000 -1.000000 1.000000\r\nv 1.000000 1.000000 1.000000\r\n"
        "v -1.000000 1.000000 1.000000\r\nv 0.000000 2.000000 1.000000\r\n"
        "vt 0.000000 0.000000 0.000000\r\nvt 1.000000 0.000000 0.000000\r\nvt 1.000000 1.000000 0.000000\r\n"
        "vt 0.000000 1.000000 0.000000\r\nvt 0.500000 1.500000 0.000000\r\nvn 0.0000 0.0000 1.0000\r\n\r\n"
        "g front\r\nusemtl Wood\r\ns off\r\nf 1/1/1 2/2/1 3/3/1 4/4/1 \r\n"
        "s 1\r\nusemtl Roof\r\nf 4/4/1 3/3/1 5/5/1\t\r\n\r\n";
    TempDir dir;
    Model model;
    EXPECT_EQ(CaptureStdout([&] { model.LoadObj(dir.Write("crate.obj", text)); }), "");
    EXPECT_EQ(model.GetVertexCount(), 5);
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2, 3, 2, 4}));
    ExpectVec3(model.GetPositions(), 4, 0, 2, 1, "apex");
    // Texture s follows x and t follows y, so the frame is +x, +y.
    ExpectVec3(model.GetTangents(), -1, 1, 0, 0, "tangent");
    ExpectVec3(model.GetBitangents(), -1, 0, 1, 0, "bitangent");

    // An unreadable file is passed over silently: its caller says what it was for.
    EXPECT_EQ(CaptureStdout([&] { Model().LoadObj(dir.Path() + "missing.obj"); }), "");
}

TEST(ModelObj, MalformedFilesAreRefusedWithOneLineNamingFileAndLine)
{
    const std::string head = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n";  // 7 lines
    const std::string forms = "face without three corners of the form v, v/vt or v/vt/vn";
    const struct {
        const char* name;
        std::string body;
        int line;
        std::string reason;
    } cases[] = {
        {"position index past the end", "f 1 2 4\n", 8, "position index out of range"},
        {"negative (relative) index", "f -3 -2 -1\n", 8, "position index out of range"},
        {"texture index past the end", "f 1/1 2/2 3/4\n", 8, "texture coordinate index out of range"},
        {"normal index past the end", "f 1/1/1 2/2/1 3/3/2\n", 8, "normal index out of range"},
        {"position after the first face", "f 1 2 3\nv 1 1 1\n", 9, "position after the first face"},
        {"normal faces then plain faces", "f 1/1/1 2/2/1 3/3/1\n\nf 1/1 2/2 3/3\n", 10,
         "face of the form v/vt after faces of the form v/vt/vn"},
        {"corners of different forms", "f 1/1/1 2/2 3\n", 8, forms},
        {"two corners", "f 1 2\n", 8, forms},
        {"NaN coordinate", "vn nan 0 1\n", 8, "number out of range"},
    };
    for (const auto& c : cases) {
        Model model;
        Load(model, head + "f 1 2 3\n");
        ASSERT_EQ(model.GetTriangleCount(), 1);
        bool ok = true;
        std::string out = Load(model, head + c.body, &ok);
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(out, "  Refused model test.obj, line " + std::to_string(c.line) + ": " + c.reason + "\n") << c.name;
        EXPECT_EQ(model.GetTriangleCount() + model.GetVertexCount(), 0) << c.name << ": the old model is gone";
    }
}

}  // namespace
