#include <gtest/gtest.h>

#include "render/GL.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

// A shader that does not compile stays in service with its log on the info
// line; one that does draws with its parameters. Lookups are exact and each
// missing name is reported once.
TEST(ShaderGL, LoadedShadersDrawWithTheirParametersAndReportWhatIsWrong)
{
    ResetGLState();
    TempDir dir;
    dir.Write("colour.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                             "[fragment]\nuniform int red;\nuniform float green;\n"
                             "void main() { gl_FragColor = vec4(float(red), green, 0.0, 1.0); }\n");
    dir.Write("broken.shdr", "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
                             "[fragment]\nvoid main() { gl_FragColor = undefinedThing; }\n");
    ShaderManager manager;
    std::string out = CaptureStdout([&] { manager.LoadDirectory(dir.Path()); });
    EXPECT_NE(out.find("  " + dir.Path() + "broken.shdr : GLSL Info: "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    EXPECT_NE(manager.GetShader("broken.shdr"), nullptr);
    Shader* shader = manager.GetShader("colour.shdr");
    ASSERT_NE(shader, nullptr);
    out = CaptureStdout([&] {
        for (const char* name : {"colour", "Colour.shdr", "colour"})
            EXPECT_EQ(manager.GetShader(name), nullptr) << name;
    });
    EXPECT_EQ(out, "  Missing shader colour\n  Missing shader Colour.shdr\n");

    ShaderParameters parameters;
    parameters.SetInt("red", 1);
    parameters.SetFloat("green", 0.1f);
    parameters.SetFloat("green", 0.5f);            // the last value of a name counts
    parameters.SetFloat("Green", 0.0f);            // names are case-sensitive
    parameters.SetFloat("notInTheProgram", 3.0f);  // location -1 is ignored
    EXPECT_EQ(parameters.GetFloats().size(), 3u);  // set every frame, the list must not grow
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

}  // namespace
