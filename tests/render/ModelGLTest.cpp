#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "render/GL.h"
#include "render/Model.h"
#include "render/ModelBatch.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "render/Texture.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

// Small triangles, textured or not, overlapping in depth order, drawn one by
// one and through a batch. The plain one carries a texture it has no
// coordinates for, the tinted one a shader with its parameters. A shader that
// does not compile stays in service with its log on the info line; shader
// lookups are exact and each missing name is reported once.
TEST(ModelGL, LoneAndBatchedDrawsAgreeOnTexturesAndShadersAndBrokenShadersAreReported)
{
    ResetGLState();
    glMatrixMode(GL_PROJECTION);  // vertices in clip coordinates
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    Texture red(MakeSolidTexture({255, 0, 0, 255}), 1, 1), green(MakeSolidTexture({0, 255, 0, 255}), 1, 1);
    TempDir dir;
    dir.Write("tint.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                           "[fragment]\nuniform int red;\nuniform float green;\n"
                           "void main() { gl_FragColor = vec4(float(red), green, 0.0, 1.0); }\n");
    dir.Write("broken.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                             "[fragment]\nvoid main() { gl_FragColor = undefinedThing; }\n");
    ShaderManager shaders;
    std::string out = CaptureStdout([&] { shaders.LoadDirectory(dir.Path()); });
    EXPECT_NE(out.find("  " + dir.Path() + "broken.shdr : GLSL Info: "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    EXPECT_NE(shaders.GetShader("broken.shdr"), nullptr);
    out = CaptureStdout([&] {
        for (const char* name : {"tint", "Tint.shdr", "tint"})
            EXPECT_EQ(shaders.GetShader(name), nullptr) << name;
    });
    EXPECT_EQ(out, "  Missing shader tint\n  Missing shader Tint.shdr\n");
    ShaderParameters parameters;
    parameters.SetInt("red", 1);
    parameters.SetFloat("green", 0.5f);
    parameters.SetFloat("Green", 0.0f);  // names are case-sensitive
    const std::string small = "v 0 0 0\nv 0.3 0 0\nv 0 0.3 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";
    Model a, b, plain, tinted;
    CaptureStdout([&] {
        for (Model* model : {&a, &b, &tinted})
            model->LoadObjText(small, "small.obj");
        plain.LoadObjText("v 0 0 0.5\nv 0.3 0 0.5\nv 0 0.3 0.5\nf 1 2 3\n", "plain.obj");
    });
    for (Model* model : {&a, &plain, &tinted}) {
        model->SetTexture(&red, 0);
        model->SetTexture(&red, 3);
    }
    b.SetTexture(&green, 0);
    b.SetTexture(&red, 2);
    b.SetPosition(Vec3(0.05f, 0.0f, 0.0f));
    tinted.SetShader(shaders.GetShader("tint.shdr"));
    tinted.SetShaderParameters(&parameters);
    const std::pair<Model*, Vec3> copies[] = {
        {&a, {-0.8f, -0.8f, 0.0f}}, {&b, {-0.7f, -0.7f, -0.1f}}, {&a, {-0.6f, -0.6f, -0.2f}},
        {&plain, {-0.5f, -0.5f, -0.3f}}, {&tinted, {0.5f, -0.8f, 0.0f}}, {&a, {0.2f, 0.2f, 0.0f}},
        {&a, {0.3f, 0.3f, 0.1f}}, {&b, {0.4f, 0.1f, 0.0f}}};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const auto& [model, at] : copies) {
        glPushMatrix();
        glTranslatef(at.x, at.y, at.z);
        model->RenderTree();
        glPopMatrix();
    }
    ExpectDrawStateRestored();
    const std::vector<uint8_t> separate = ReadWindow();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    {
        ModelBatch batch;
        for (const auto& [model, at] : copies)
            batch.Draw(*model, at);
    }
    EXPECT_TRUE(ReadWindow() == separate);
    const std::tuple<const char*, int, int, Rgba> probes[] = {
        {"the last b: green (unit 0) modulated by red (unit 2)", 480, 276, {0, 0, 0, 255}},
        {"plain: no texture without coordinates", 192, 144, {255, 255, 255, 255}},
        {"tinted: its shader and parameters", 512, 72, {255, 128, 0, 255}},
        {"nothing", 5, 470, {128, 128, 128, 255}},
    };
    for (const auto& [what, x, y, colour] : probes)
        EXPECT_TRUE(Near(ReadPixel(x, y), colour, 4)) << what;

    // New arrays after a draw reach the GL: the triangle moves.
    CaptureStdout([&] { a.LoadObjText("v 0.5 0.5 0\nv 0.9 0.5 0\nv 0.5 0.9 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                      "f 1/1 2/2 3/3\n", "a.obj"); });
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    a.Draw();
    EXPECT_TRUE(Near(ReadPixel(500, 380), {255, 0, 0, 255}, 4));
    EXPECT_TRUE(Near(ReadPixel(325, 245), {128, 128, 128, 255}, 4));
    red.Release();
    green.Release();
    ResetGLState();
}

}  // namespace
