#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/Model.h"
#include "tests/support/TestFiles.h"

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

bool AllFinite(const std::vector<float>& values)
{
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
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

TEST(ModelObj, SingleTexturedFaceGivesThreeVerticesAndATangentFrame)
{
    // Texture s runs along position y and t along x, so the tangent (growing
    // s) is +y and the bitangent +x: ds1 = 0, ds2 = 1, dt1 = 1, dt2 = 0, r = -1.
    Model model;
    bool ok = false;
    EXPECT_EQ(Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 0 1\nvt 1 0\nf 1/1 2/2 3/3\n", &ok), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(model.GetTriangleCount(), 1);
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(model.GetTexCoords(), (std::vector<float>{0, 0, 0, 1, 1, 0}));
    ExpectVec3(model.GetNormals(), -1, 0, 0, 1, "normal");
    ExpectVec3(model.GetTangents(), -1, 0, 1, 0, "tangent");
    ExpectVec3(model.GetBitangents(), -1, 1, 0, 0, "bitangent");
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

    // Position 1 is used twice; the later corner's normal index (2: -z) wins,
    // and -z plus the two coplanar +z face normals leaves +z.
    Load(model,
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv -1 0 0\nvt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\nvn 1 0 0\nvn 0 0 -1\n"
         "f 1/1/1 2/2/1 3/3/1\nf 1/1/2 3/3/1 4/4/1\n");
    ASSERT_EQ(model.GetVertexCount(), 4);
    ExpectVec3(model.GetNormals(), 0, 0, 0, 1, "last corner's normal");
    // Position 3 keeps normal 1 (+x) and has two +z faces: (1, 0, 2) / sqrt 5.
    ExpectVec3(model.GetNormals(), 2, 1 / std::sqrt(5.0f), 0, 2 / std::sqrt(5.0f), "two faces");

    // Position-only faces folded along the edge 1-2, one facing +z, the other
    // +y: the shared edge gets their average, and there are no texture arrays.
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 4 2\n");
    EXPECT_FALSE(model.HasTexCoords());
    EXPECT_TRUE(model.GetTexCoords().empty() && model.GetTangents().empty() && model.GetBitangents().empty());
    ExpectVec3(model.GetNormals(), 0, 0, kHalfRoot2, kHalfRoot2, "shared edge");
    ExpectVec3(model.GetNormals(), 1, 0, kHalfRoot2, kHalfRoot2, "shared edge");
    ExpectVec3(model.GetNormals(), 2, 0, 0, 1, "first face only");
    ExpectVec3(model.GetNormals(), 3, 0, 1, 0, "second face only");
}

TEST(ModelObj, LineAndKeywordRules)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<float> position;
    } cases[] = {
        {"tab after keyword: line ignored", "v\t9 9 9\nv 1 2 3\n", {1, 2, 3}},
        {"several spaces after keyword: read", "v    1 2 3\n", {1, 2, 3}},
        {"trailing blanks and CR", "v 1 2 3 \t \r\n", {1, 2, 3}},
        {"missing component stays 0", "v 1 2\n", {1, 2, 0}},
        {"unscannable component stops the scan", "v 1 x 3\n", {1, 0, 0}},
        {"keyword alone: skipped", "v\nv 4 5 6", {4, 5, 6}},
        {"other keywords ignored", "# v 7 7 7\nvp 1 1 1\nvx 1 1 1\nV 1 1 1\nv 1 1 1\n", {1, 1, 1}},
        {"exponents and signs", "v -1.5e2 +2 .25\n", {-150, 2, 0.25f}},
        {"stray NUL ends the line", std::string("v 1 2\0 3\n", 9), {1, 2, 0}},
    };
    for (const auto& c : cases) {
        Model model;
        bool ok = false;
        Load(model, c.text + "\nv 0 0 0\nv 0 0 0\nf 1 2 3\n", &ok);  // a face keeps the positions
        ASSERT_TRUE(ok) << c.name;
        EXPECT_EQ(std::vector<float>(model.GetPositions().begin(), model.GetPositions().begin() + 3), c.position)
            << c.name;
    }
}

TEST(ModelObj, ReadsAFileAsAModellingToolWritesIt)
{
    // Comments, material library, object and group names, smoothing, material
    // switches, CRLF, three-component texture coordinates, a quad (of which
    // only the first three corners count), blank lines and trailing blanks.
    const std::string text =
        "# Exported by a modelling tool\r\n# www.example.org\r\nmtllib crate.mtl\r\no Crate\r\n"
        "v -1.000000 -1.000000 1.000000\r\nv 1.000000 -1.000000 1.000000\r\nv 1.000000 1.000000 1.000000\r\n"
        "v -1.000000 1.000000 1.000000\r\nv 0.000000 2.000000 1.000000\r\n"
        "vt 0.000000 0.000000 0.000000\r\nvt 1.000000 0.000000 0.000000\r\nvt 1.000000 1.000000 0.000000\r\n"
        "vt 0.000000 1.000000 0.000000\r\nvt 0.500000 1.500000 0.000000\r\nvn 0.0000 0.0000 1.0000\r\n\r\n"
        "g front\r\nusemtl Wood\r\ns off\r\nf 1/1/1 2/2/1 3/3/1 4/4/1 \r\n"
        "s 1\r\nusemtl Roof\r\nf 4/4/1 3/3/1 5/5/1\t\r\n\r\n";
    TempDir dir;
    Model model;
    EXPECT_EQ(CaptureStdout([&] { model.LoadObj(dir.Write("crate.obj", text)); }), "");
    EXPECT_EQ(model.GetTriangleCount(), 2);
    EXPECT_EQ(model.GetVertexCount(), 5);
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2, 3, 2, 4}));
    ExpectVec3(model.GetPositions(), 4, 0, 2, 1, "apex");
    // Every triangle lies in z = 1 facing +z, as does the file normal; texture
    // s follows x and t follows y, so the frame is +x, +y.
    ExpectVec3(model.GetNormals(), -1, 0, 0, 1, "normal");
    ExpectVec3(model.GetTangents(), -1, 1, 0, 0, "tangent");
    ExpectVec3(model.GetBitangents(), -1, 0, 1, 0, "bitangent");

    // An unreadable file leaves an empty model, silently.
    Model missing;
    EXPECT_EQ(CaptureStdout([&] { missing.LoadObj(dir.Path() + "missing.obj"); }), "");
    EXPECT_EQ(missing.GetTriangleCount(), 0);
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
        {"position index zero", "f 0 1 2\n", 8, "position index out of range"},
        {"negative (relative) index", "f -3 -2 -1\n", 8, "position index out of range"},
        {"huge index", "f 1 2 99999999999999\n", 8, "position index out of range"},
        {"texture index past the end", "f 1/1 2/2 3/4\n", 8, "texture coordinate index out of range"},
        {"normal index past the end", "f 1/1/1 2/2/1 3/3/2\n", 8, "normal index out of range"},
        {"texture index read before its line", "f 1/1 2/2 3/3\nf 1/4 2/2 3/3\nvt 0 0\n", 9,
         "texture coordinate index out of range"},
        {"position after the first face", "f 1 2 3\nv 1 1 1\n", 9, "position after the first face"},
        {"normal faces then plain faces", "f 1/1/1 2/2/1 3/3/1\n\nf 1/1 2/2 3/3\n", 10,
         "face of the form v/vt after faces of the form v/vt/vn"},
        {"plain faces then normal faces", "f 1 2 3\nf 1/1/1 2/2/1 3/3/1\n", 9,
         "face of the form v/vt/vn after faces of the form v"},
        {"corners of different forms", "f 1/1/1 2/2 3\n", 8, forms},
        {"position//normal form", "f 1//1 2//1 3//1\n", 8, forms},
        {"two corners", "f 1 2\n", 8, forms},
        {"not a number", "f a b c\n", 8, forms},
        {"NaN coordinate", "vn nan 0 1\n", 8, "number out of range"},
        {"coordinate beyond float range", "vt 1e999 0\n", 8, "number out of range"},
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
        EXPECT_TRUE(model.GetIndices().empty() && model.GetPositions().empty()) << c.name;
    }
}

TEST(ModelObj, DegenerateGeometryLeavesFiniteVectors)
{
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"all corners at one point", "v 1 1 1\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 1/2 1/3\n"},
        {"texture coordinates without area", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nf 1/1 2/1 3/1\n"},
        {"collinear texture coordinates", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvt 2 2\nf 1/1 2/2 3/3\n"},
        {"zero file normal on a degenerate face", "v 2 2 2\nvt 0 0\nvn 0 0 0\nf 1/1/1 1/1/1 1/1/1\n"},
        {"extreme coordinates", "v -3e38 -3e38 0\nv 3e38 -3e38 0\nv 0 3e38 3e38\nvt 0 0\nvt 1e-38 0\nvt 0 1e-38\n"
                                "f 1/1 2/2 3/3\n"},
    };
    for (const auto& c : cases) {
        Model model;
        bool ok = false;
        Load(model, c.text, &ok);
        ASSERT_TRUE(ok) << c.name;
        EXPECT_TRUE(AllFinite(model.GetNormals()) && AllFinite(model.GetTangents()) &&
                    AllFinite(model.GetBitangents()))
            << c.name;
    }
    // A triangle without texture area contributes no tangent, so a vertex it
    // shares with a proper triangle keeps that triangle's frame.
    Model shared;
    Load(shared, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\nf 2/2 4/2 3/3\n");
    ExpectVec3(shared.GetTangents(), 1, 1, 0, 0, "tangent kept");
    ExpectVec3(shared.GetTangents(), 3, 0, 0, 0, "no tangent at all");
}

}  // namespace
