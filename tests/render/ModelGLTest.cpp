#include <gtest/gtest.h>

#include <memory>

#include "render/GL.h"
#include "render/Model.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "render/Texture.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const Rgba kRed = {255, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255};
const Rgba kGrey = {128, 128, 128, 255};

// A triangle over most of the window in clip coordinates, facing the viewer.
const char* const kTriangle = "v -1 -1 0\nv 1 -1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0.5 1\nf 1/1 2/2 3/3\n";

GLuint MakeTexture(const Rgba& colour)
{
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colour.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

class ModelGL : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGLState();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        red = std::make_unique<Texture>(MakeTexture(kRed), 1, 1);
    }
    void TearDown() override
    {
        red->Release();
        ResetGLState();
    }

    Rgba DrawAndRead(Model& model)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
        model.Draw();
        return ReadPixel(320, 200);
    }

    void ExpectStateRestored()
    {
        GLint value = 0;
        glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &value);
        EXPECT_EQ(value, GL_TEXTURE0);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &value);
        EXPECT_EQ(value, GL_TEXTURE0);
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
        for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
            glActiveTextureARB(unit);
            glClientActiveTextureARB(unit);
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << unit - GL_TEXTURE0;
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit - GL_TEXTURE0;
        }
        glActiveTextureARB(GL_TEXTURE0);
        glClientActiveTextureARB(GL_TEXTURE0);
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    }

    std::unique_ptr<Texture> red;
};

TEST_F(ModelGL, DrawsWithItsTextureAndLeavesTheUnitsClean)
{
    Model model;
    ASSERT_TRUE(model.LoadObjText(kTriangle, "triangle.obj"));
    model.SetTexture(red.get(), 0);
    model.SetTexture(red.get(), 3);
    EXPECT_TRUE(Near(DrawAndRead(model), kRed, 4));
    ExpectStateRestored();
    // Outside the triangle nothing was drawn.
    EXPECT_TRUE(Near(ReadPixel(5, 470), kGrey, 4));
}

TEST_F(ModelGL, ModelWithoutTextureCoordinatesBindsNoTexture)
{
    Model model;
    ASSERT_TRUE(model.LoadObjText("v -1 -1 0\nv 1 -1 0\nv 0 1 0\nf 1 2 3\n", "plain.obj"));
    model.SetTexture(red.get(), 0);
    EXPECT_TRUE(Near(DrawAndRead(model), kWhite, 4));
    ExpectStateRestored();
}

TEST_F(ModelGL, DrawsThroughItsShaderWithItsParameters)
{
    TempDir dir;
    dir.Write("tint.shdr",
              "[vertex]\nvoid main() { gl_Position = ftransform(); }\n"
              "[fragment]\nuniform float green;\nvoid main() { gl_FragColor = vec4(0.0, green, 0.0, 1.0); }\n");
    ShaderManager shaders;
    CaptureStdout([&] { shaders.LoadDirectory(dir.Path()); });
    ShaderParameters parameters;
    parameters.SetFloat("green", 1.0f);
    Model model;
    ASSERT_TRUE(model.LoadObjText(kTriangle, "triangle.obj"));
    model.SetShader(shaders.GetShader("tint.shdr"));
    model.SetShaderParameters(&parameters);
    EXPECT_TRUE(Near(DrawAndRead(model), Rgba{0, 255, 0, 255}, 4));
    ExpectStateRestored();
}

TEST_F(ModelGL, EmptyOrRefusedModelsDrawNothing)
{
    Model empty;
    EXPECT_TRUE(Near(DrawAndRead(empty), kGrey, 4));
    Model refused;
    CaptureStdout([&] { refused.LoadObjText("v 0 0 0\nf 1 2 3\n", "bad.obj"); });
    refused.SetTexture(red.get(), 0);
    EXPECT_TRUE(Near(DrawAndRead(refused), kGrey, 4));
    ExpectStateRestored();
}

}  // namespace
