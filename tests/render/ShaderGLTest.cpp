#include <gtest/gtest.h>

#include "render/GL.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const char* const kColourShader =
    "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
    "[fragment]\nuniform int red;\nuniform float green;\n"
    "void main() { gl_FragColor = vec4(float(red), green, 0.0, 1.0); }\n";

TEST(ShaderGL, LoadedShaderDrawsWithItsParameters)
{
    ResetGLState();
    TempDir dir;
    dir.Write("colour.shdr", kColourShader);
    ShaderManager manager;
    EXPECT_EQ(CaptureStdout([&] { manager.LoadDirectory(dir.Path()); }),
              "Loading shaders...\n  " + dir.Path() + "colour.shdr : GLSL Info: \n");
    Shader* shader = manager.GetShader("colour.shdr");
    ASSERT_NE(shader, nullptr);
    ShaderParameters parameters;
    parameters.SetInt("red", 1);
    parameters.SetFloat("green", 0.5f);
    parameters.SetFloat("notInTheProgram", 3.0f);  // location -1 is ignored

    shader->Bind();
    shader->SetParameters(parameters);
    UseClipCoordinates();
    glRectf(-1, -1, 1, 1);
    Shader::Unbind();
    EXPECT_TRUE(Near(ReadPixel(320, 240), Rgba{255, 128, 0, 255}));
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    ResetGLState();
}

TEST(ShaderGL, LookupsAreExactAndMissingNamesAreReportedOnce)
{
    TempDir dir;
    dir.Write("bloom.shdr", kColourShader);
    ShaderManager manager;
    CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    Shader* first = manager.GetShader("bloom.shdr");
    EXPECT_NE(first, nullptr);
    std::string out = CaptureStdout([&] {
        for (const char* name : {"bloom", "Bloom.shdr", "bloom"})
            EXPECT_EQ(manager.GetShader(name), nullptr) << name;
    });
    EXPECT_EQ(out, "  Missing shader bloom\n  Missing shader Bloom.shdr\n");

    // A second load of the same directory appends; lookups keep the first.
    CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    EXPECT_EQ(manager.Count(), 2u);
    EXPECT_EQ(manager.GetShader("bloom.shdr"), first);
}

TEST(ShaderGL, CompileErrorsReachTheInfoLineAndTheShaderStaysInService)
{
    TempDir dir;
    dir.Write("broken.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                             "[fragment]\nvoid main() { gl_FragColor = undefinedThing; }\n");
    ShaderManager manager;
    std::string out = CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    EXPECT_NE(out.find("broken.shdr : GLSL Info: "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    EXPECT_NE(manager.GetShader("broken.shdr"), nullptr);
}

}  // namespace
