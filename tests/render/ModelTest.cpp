#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/Model.h"
#include "tests/support/TestFiles.h"

namespace {

const float kHalfRoot2 = 0.70710678f;

void ExpectVec3(const std::vector<float>& array, int vertex, float x, float y, float z, const std::string& what)
{
    ASSERT_GE(array.size(), size_t(vertex * 3 + 3)) << what;
    EXPECT_NEAR(array[vertex * 3], x, 1e-5f) << what << " vertex " << vertex << " x";
    EXPECT_NEAR(array[vertex * 3 + 1], y, 1e-5f) << what << " vertex " << vertex << " y";
    EXPECT_NEAR(array[vertex * 3 + 2], z, 1e-5f) << what << " vertex " << vertex << " z";
}

bool AllFinite(const std::vector<float>& values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
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
    // The texture's s axis runs along the position's y and t along x, so the
    // tangent (direction of growing s) is +y and the bitangent +x:
    // ds1 = 0, ds2 = 1, dt1 = 1, dt2 = 0, r = -1, S = E2, Q = E1.
    Model model;
    bool ok = false;
    std::string out = Load(model,
                           "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                           "vt 0 0\nvt 0 1\nvt 1 0\n"
                           "f 1/1 2/2 3/3\n",
                           &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(out, "");
    EXPECT_EQ(model.GetTriangleCount(), 1);
    EXPECT_EQ(model.GetVertexCount(), 3);
    EXPECT_TRUE(model.HasTexCoords());
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(model.GetTexCoords(), (std::vector<float>{0, 0, 0, 1, 1, 0}));
    for (int v = 0; v < 3; ++v) {
        ExpectVec3(model.GetNormals(), v, 0, 0, 1, "normal");
        ExpectVec3(model.GetTangents(), v, 0, 1, 0, "tangent");
        ExpectVec3(model.GetBitangents(), v, 1, 0, 0, "bitangent");
    }
}

TEST(ModelObj, CornersShareAVertexOnlyWhenPositionAndTextureMatch)
{
    struct Case {
        const char* name;
        const char* faces;
        int vertices;
        std::vector<uint32_t> indices;
    };
    const Case cases[] = {
        {"same position, same texture: shared", "f 1/1 2/2 3/3\nf 1/1 3/3 4/4\n", 4, {0, 1, 2, 0, 2, 3}},
        {"same position, other texture: split", "f 1/1 2/2 3/3\nf 1/4 3/3 4/4\n", 5, {0, 1, 2, 3, 2, 4}},
        {"normal index is not part of the key", "f 1/1/1 2/2/1 3/3/1\nf 1/1/2 3/3/2 4/4/2\n", 4,
         {0, 1, 2, 0, 2, 3}},
        {"positions only: shared by position", "f 1 2 3\nf 3 2 4\n", 4, {0, 1, 2, 2, 1, 3}},
    };
    const std::string head =
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\nvn 0 0 1\n";
    for (const Case& c : cases) {
        Model model;
        bool ok = false;
        Load(model, head + c.faces, &ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(model.GetVertexCount(), c.vertices) << c.name;
        EXPECT_EQ(model.GetIndices(), c.indices) << c.name;
        EXPECT_EQ(model.GetTriangleCount(), 2) << c.name;
    }
}

TEST(ModelObj, FileNormalsAreBlendedWithFaceNormals)
{
    // File normal +x plus the unit face normal +z, normalised.
    Model model;
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 1 0 0\nf 1/1/1 2/2/1 3/3/1\n");
    for (int v = 0; v < 3; ++v)
        ExpectVec3(model.GetNormals(), v, kHalfRoot2, 0, kHalfRoot2, "blended normal");

    // Position 1 is used twice; the later corner's normal index (2: -z) wins,
    // and -z plus the two coplanar +z face normals leaves +z.
    Model twice;
    Load(twice,
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv -1 0 0\nvt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\n"
         "vn 1 0 0\nvn 0 0 -1\n"
         "f 1/1/1 2/2/1 3/3/1\nf 1/1/2 3/3/1 4/4/1\n");
    ASSERT_EQ(twice.GetVertexCount(), 4);
    ExpectVec3(twice.GetNormals(), 0, 0, 0, 1, "last corner's normal");
    // Position 3 keeps normal 1 (+x) and has two +z faces: (1, 0, 2) / sqrt 5.
    ExpectVec3(twice.GetNormals(), 2, 1 / std::sqrt(5.0f), 0, 2 / std::sqrt(5.0f), "two faces");
}

TEST(ModelObj, PositionOnlyFacesGetAveragedFaceNormalsAndNoTextureArrays)
{
    // Two triangles folded along the edge from position 1 to 2: one faces +z,
    // the other +y, so the shared edge gets their average.
    Model model;
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 4 2\n");
    EXPECT_FALSE(model.HasTexCoords());
    EXPECT_TRUE(model.GetTexCoords().empty());
    EXPECT_TRUE(model.GetTangents().empty());
    EXPECT_TRUE(model.GetBitangents().empty());
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2, 0, 3, 1}));
    ExpectVec3(model.GetNormals(), 0, 0, kHalfRoot2, kHalfRoot2, "shared edge");
    ExpectVec3(model.GetNormals(), 1, 0, kHalfRoot2, kHalfRoot2, "shared edge");
    ExpectVec3(model.GetNormals(), 2, 0, 0, 1, "first face only");
    ExpectVec3(model.GetNormals(), 3, 0, 1, 0, "second face only");
}

TEST(ModelObj, LineAndKeywordRules)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<float> positions;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        Model model;
        bool ok = false;
        // One face over the last three positions so the positions are kept.
        std::string text = c.text + "\nv 0 0 0\nv 0 0 0\nf 1 2 3\n";
        Load(model, text, &ok);
        ASSERT_TRUE(ok) << c.name;
        ASSERT_GE(model.GetPositions().size(), 3u) << c.name;
        std::vector<float> first(model.GetPositions().begin(), model.GetPositions().begin() + 3);
        EXPECT_EQ(first, c.positions) << c.name;
    }
}

TEST(ModelObj, OnlyTheFirstThreeCornersOfAPolygonAreRead)
{
    Model model;
    Load(model,
         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
         "f 1/1/1 2/2/1 3/3/1 4/4/1\n");
    EXPECT_EQ(model.GetTriangleCount(), 1);
    EXPECT_EQ(model.GetVertexCount(), 3);
}

TEST(ModelObj, ReadsAFileAsAModellingToolWritesIt)
{
    // Header comments, material library, object and group names, smoothing,
    // material switches, CRLF line ends, three-component texture coordinates,
    // quads and a triangle, blank lines and trailing blanks.
    const std::string text =
        "# Exported by a modelling tool\r\n"
        "# www.example.org\r\n"
        "mtllib crate.mtl\r\n"
        "o Crate\r\n"
        "v -1.000000 -1.000000 1.000000\r\n"
        "v 1.000000 -1.000000 1.000000\r\n"
        "v 1.000000 1.000000 1.000000\r\n"
        "v -1.000000 1.000000 1.000000\r\n"
        "v 0.000000 2.000000 1.000000\r\n"
        "vt 0.000000 0.000000 0.000000\r\n"
        "vt 1.000000 0.000000 0.000000\r\n"
        "vt 1.000000 1.000000 0.000000\r\n"
        "vt 0.000000 1.000000 0.000000\r\n"
        "vt 0.500000 1.500000 0.000000\r\n"
        "vn 0.0000 0.0000 1.0000\r\n"
        "\r\n"
        "g front\r\n"
        "usemtl Wood\r\n"
        "s off\r\n"
        "f 1/1/1 2/2/1 3/3/1 4/4/1 \r\n"
        "s 1\r\n"
        "usemtl Roof\r\n"
        "f 4/4/1 3/3/1 5/5/1\t\r\n"
        "\r\n";
    TempDir dir;
    std::string path = dir.Write("crate.obj", text);
    Model model;
    std::string out = CaptureStdout([&] { model.LoadObj(path); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(model.GetTriangleCount(), 2);
    EXPECT_EQ(model.GetVertexCount(), 5);
    EXPECT_EQ(model.GetIndices(), (std::vector<uint32_t>{0, 1, 2, 3, 2, 4}));
    EXPECT_TRUE(model.HasTexCoords());
    // Every triangle lies in z = 1 facing +z, as does the file normal.
    for (int v = 0; v < 5; ++v)
        ExpectVec3(model.GetNormals(), v, 0, 0, 1, "crate normal");
    // Texture s follows x and t follows y, so the frame is +x, +y.
    for (int v = 0; v < 5; ++v) {
        ExpectVec3(model.GetTangents(), v, 1, 0, 0, "crate tangent");
        ExpectVec3(model.GetBitangents(), v, 0, 1, 0, "crate bitangent");
    }
    ExpectVec3(model.GetPositions(), 4, 0, 2, 1, "apex");
}

TEST(ModelObj, MalformedFilesAreRefusedWithOneLineNamingFileAndLine)
{
    const std::string head = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n";  // 7 lines
    struct Case {
        const char* name;
        std::string body;
        int line;
        const char* reason;
    };
    const Case cases[] = {
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
        {"corners of different forms", "f 1/1/1 2/2 3\n", 8,
         "face without three corners of the form v, v/vt or v/vt/vn"},
        {"position//normal form", "f 1//1 2//1 3//1\n", 8,
         "face without three corners of the form v, v/vt or v/vt/vn"},
        {"two corners", "f 1 2\n", 8, "face without three corners of the form v, v/vt or v/vt/vn"},
        {"not a number", "f a b c\n", 8, "face without three corners of the form v, v/vt or v/vt/vn"},
        {"NaN coordinate", "vn nan 0 1\n", 8, "number out of range"},
        {"coordinate beyond float range", "vt 1e999 0\n", 8, "number out of range"},
    };
    for (const Case& c : cases) {
        Model model;
        bool ok = true;
        std::string out = Load(model, head + c.body, &ok);
        EXPECT_FALSE(ok) << c.name;
        EXPECT_EQ(out, "  Refused model test.obj, line " + std::to_string(c.line) + ": " + c.reason + "\n") << c.name;
        EXPECT_EQ(model.GetTriangleCount(), 0) << c.name;
        EXPECT_EQ(model.GetVertexCount(), 0) << c.name;
        EXPECT_TRUE(model.GetIndices().empty()) << c.name;
    }
}

TEST(ModelObj, RefusalEmptiesAPreviouslyLoadedModel)
{
    Model model;
    Load(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ASSERT_EQ(model.GetTriangleCount(), 1);
    Load(model, "v 0 0 0\nf 1 2 3\n");
    EXPECT_EQ(model.GetTriangleCount(), 0);
    EXPECT_TRUE(model.GetPositions().empty());
}

TEST(ModelObj, DegenerateGeometryLeavesFiniteVectors)
{
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"all corners at one point", "v 1 1 1\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 1/2 1/3\n"},
        {"texture coordinates without area", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nf 1/1 2/1 3/1\n"},
        {"collinear texture coordinates", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvt 2 2\nf 1/1 2/2 3/3\n"},
        {"zero file normal on a degenerate face", "v 2 2 2\nvt 0 0\nvn 0 0 0\nf 1/1/1 1/1/1 1/1/1\n"},
        {"extreme coordinates", "v -3e38 -3e38 0\nv 3e38 -3e38 0\nv 0 3e38 3e38\nvt 0 0\nvt 1e-38 0\nvt 0 1e-38\n"
                                "f 1/1 2/2 3/3\n"},
    };
    for (const Case& c : cases) {
        Model model;
        bool ok = false;
        Load(model, c.text, &ok);
        ASSERT_TRUE(ok) << c.name;
        EXPECT_TRUE(AllFinite(model.GetNormals())) << c.name;
        EXPECT_TRUE(AllFinite(model.GetTangents())) << c.name;
        EXPECT_TRUE(AllFinite(model.GetBitangents())) << c.name;
    }

    // A triangle without texture area contributes no tangent, so a vertex it
    // shares with a proper triangle keeps that triangle's frame.
    Model shared;
    Load(shared,
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
         "f 1/1 2/2 3/3\nf 2/2 4/2 3/3\n");
    ExpectVec3(shared.GetTangents(), 1, 1, 0, 0, "tangent kept");
    ExpectVec3(shared.GetTangents(), 3, 0, 0, 0, "no tangent at all");
}

TEST(ModelObj, UnreadableFileLeavesAnEmptyModelSilently)
{
    TempDir dir;
    Model model;
    std::string out = CaptureStdout([&] { model.LoadObj(dir.Path() + "missing.obj"); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(model.GetTriangleCount(), 0);
    EXPECT_TRUE(model.GetPositions().empty());
}

TEST(ModelObj, TextureSlotsOutsideZeroToThreeAreIgnored)
{
    Model model;
    Texture* fake = reinterpret_cast<Texture*>(0x10);
    model.SetTexture(fake, 3);
    model.SetTexture(fake, 4);
    model.SetTexture(fake, -1);
    EXPECT_EQ(model.GetTexture(3), fake);
    EXPECT_EQ(model.GetTexture(0), nullptr);
    EXPECT_EQ(model.GetTexture(4), nullptr);
}

}  // namespace
