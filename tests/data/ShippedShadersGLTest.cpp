// The shaders the game ships: each compiles and links on the driver at hand
// with the uniforms the game sets, and the passes do what their callers need:
// the distortion bends the picture only where a ring was drawn, the bloom
// brightens around bright parts, and the ground's glow sits under the ship.
#include <cctype>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/Directory.h"
#include "render/GL.h"
#include "render/Shader.h"
#include "render/ShaderParameters.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string kShaderDir = std::string(VANTREL_SOURCE_DIR) + "/data/shaders/";

struct LoadedShader {
    std::unique_ptr<Shader> shader;
    std::string output;  // what the constructor printed
    explicit LoadedShader(const std::string& file)
    {
        output = CaptureStdout([&] { shader = std::make_unique<Shader>(kShaderDir + file); });
    }
    ~LoadedShader() { shader->Release(); }
};

// Binds to `unit` a new 640 x 480 RGBA texture filled by `pixel(x, y)`, y
// counted from the bottom, or (without `pixel`) holding a copy of the window.
GLuint Texture(int unit, Rgba (*pixel)(int, int) = nullptr)
{
    std::vector<unsigned char> data(640 * 480 * 4);
    for (int i = 0; pixel && i < 640 * 480; ++i) {
        Rgba p = pixel(i % 640, i / 640);
        std::copy(p.begin(), p.end(), data.begin() + i * 4);
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 640, 480, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    if (!pixel)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 480);
    return name;
}

// The full-screen pass the bloom and distortion effects draw: texture (0, 1)
// at the window's top-left. Integer uniforms by name.
void FullscreenPass(const LoadedShader& loaded, std::vector<std::pair<const char*, int>> uniforms)
{
    ShaderParameters parameters;
    for (auto [name, value] : uniforms)
        parameters.SetInt(name, value);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loaded.shader->Bind();
    loaded.shader->SetParameters(parameters);
    UseClipCoordinates();
    glBegin(GL_QUADS);
    for (int corner : {0, 1, 3, 2}) {
        glTexCoord2f(corner & 1, corner >> 1);
        glVertex2f((corner & 1) * 2 - 1, (corner >> 1) * 2 - 1);
    }
    glEnd();
    Shader::Unbind();
}

// Unbinds units 1 and 0, deletes the textures and restores the GL state.
void ReleaseTextures(std::vector<GLuint> names)
{
    for (int unit = 1; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    glDeleteTextures(GLsizei(names.size()), names.data());
    ResetGLState();
}

int Brightness(const Rgba& p)
{
    return int(p[0]) + int(p[1]) + int(p[2]);
}

Rgba Pattern(int x, int y)
{
    return Rgba{uint8_t(x * 255 / 639), uint8_t(y * 255 / 479), uint8_t((x / 8 + y / 8) % 2 ? 200 : 40), 255};
}

}  // namespace

TEST(ShippedShaders, EveryShaderLinksWithTheUniformsTheGameSets)
{
    ResetGLState();
    // The uniforms each effect sets and the shader actually reads (a declared
    // but unused uniform has no location, so these must be in use).
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"player.shdr", {}},
        {"enemy.shdr", {}},
        {"shield.shdr", {"alpha"}},
        {"ground.shdr", {"plrPosX", "plrPosY", "camY"}},
        {"blurx.shdr", {"width", "height"}},
        {"blury.shdr", {"width", "height"}},
        {"bloom.shdr", {"source_tex", "blur_tex"}},
        {"distort.shdr", {"source_tex", "distort_tex"}},
    };
    for (const auto& [file, uniforms] : cases) {
        LoadedShader loaded(file);
        GLint linked = 0;
        glGetObjectParameterivARB(loaded.shader->GetProgram(), GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_TRUE(linked && loaded.output.find("rror") == std::string::npos) << file << ": " << loaded.output;
        for (const char* uniform : uniforms)
            EXPECT_NE(glGetUniformLocationARB(loaded.shader->GetProgram(), uniform), -1) << file << " " << uniform;
    }
    // Nothing else in the directory, so a new shader gets a line above.
    EXPECT_EQ(ListFilesWithExtension(kShaderDir, ".shdr").size(), std::size(cases));
}

TEST(ShippedShaders, DistortionBendsThePictureOnlyAtARing)
{
    ResetGLState();
    LoadedShader distort("distort.shdr");
    // A shockwave's ring of radius 80 around the middle of the window.
    GLuint source = Texture(0, Pattern), ring = Texture(1, [](int x, int y) {
        const uint8_t v = uint8_t(230.0 * std::exp(-std::pow((std::hypot(x - 320.0, y - 240.0) - 80.0) / 12.0, 2.0)));
        return Rgba{v, v, v, 255};
    });
    FullscreenPass(distort, {{"source_tex", 0}, {"distort_tex", 1}});
    int moved = 0;
    for (int x = 200; x < 440; x += 3)
        moved += !Near(ReadPixel(x, 240), Pattern(x, 240), 6);
    EXPECT_GT(moved, 10) << "the ring should displace pixels along its slopes";
    for (int p : {0, 20, 320, 639})  // far from the ring, and inside it, the picture is unchanged
        EXPECT_TRUE(Near(ReadPixel(p, p * 3 / 4), Pattern(p, p * 3 / 4), 2)) << p;
    ReleaseTextures({source, ring});
}

TEST(ShippedShaders, BloomBrightensAroundBrightParts)
{
    ResetGLState();
    LoadedShader blurX("blurx.shdr"), blurY("blury.shdr"), bloom("bloom.shdr");
    // A mid-grey scene with a small white light in the middle.
    auto scene = [](int x, int y) {
        return std::abs(x - 320) < 6 && std::abs(y - 240) < 6 ? Rgba{255, 255, 255, 255} : Rgba{90, 100, 110, 255};
    };
    GLuint source = Texture(0, scene);
    FullscreenPass(blurX, {{"width", 640}, {"height", 480}});
    GLuint horizontal = Texture(0);
    FullscreenPass(blurY, {{"width", 640}, {"height", 480}});
    GLuint blurred = Texture(1);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, source);
    FullscreenPass(bloom, {{"source_tex", 0}, {"blur_tex", 1}});
    // The grey next to the light glows, more so closer to it; far away nothing changes.
    const int base = Brightness(scene(0, 0)), near = Brightness(ReadPixel(328, 240));
    EXPECT_GT(near, base + 30);
    EXPECT_GT(near, Brightness(ReadPixel(334, 240)));
    EXPECT_TRUE(Near(ReadPixel(40, 40), scene(40, 40), 2));
    ReleaseTextures({source, horizontal, blurred});
}

TEST(ShippedShaders, GroundGlowSitsUnderThePlayerAsTheCameraSeesIt)
{
    ResetGLState();
    LoadedShader ground("ground.shdr");
    // The player to the side and a little ahead of the view; the camera follows
    // half way (level width 1000), the board shifts the terrain by half the
    // camera's x and lays it 1000 below the play plane.
    const float px = 320.0f, py = 5100.0f, camX = px / 2.0f, camZ = 5000.0f;
    glPushMatrix();
    gluLookAt(camX, 1000, camZ, camX, 0, camZ, 0, 0, 1);
    // Where the camera shows the ship.
    GLdouble modelView[16], projection[16], sx = 0, sy = 0, sz = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(px, 0, py, modelView, projection, viewport, &sx, &sy, &sz);
    const int x = int(std::lround(sx)), y = int(std::lround(sy));
    glTranslatef(-camX / 2.0f, -1000.0f, 0.0f);

    // The glow is the difference between the ship present and far away, over flat meadow.
    std::vector<int> glow(640 * 480);
    std::vector<unsigned char> pixels(640 * 480 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int sign : {1, -1}) {
        ShaderParameters parameters;
        parameters.SetInt("plrPosX", sign > 0 ? int(px) : 100000);
        parameters.SetInt("plrPosY", int(py));
        parameters.SetInt("camY", int(camZ));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ground.shader->Bind();
        ground.shader->SetParameters(parameters);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        for (int corner : {0, 2, 3, 1})
            glVertex3f(corner & 1 ? 3000 : -3000, 100, camZ + (corner & 2 ? 3000 : -3000));
        glEnd();
        Shader::Unbind();
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (size_t i = 0; i < glow.size(); ++i)
            glow[i] += sign * (pixels[i * 4] + pixels[i * 4 + 1] + pixels[i * 4 + 2]);
    }
    glPopMatrix();
    // Its middle: the centroid of where it is above half its peak (the peak
    // itself is a plateau several pixels wide in 8-bit colour).
    const int best = *std::max_element(glow.begin(), glow.end());
    EXPECT_GT(best, 60) << "the glow should be plainly visible";
    double sumX = 0, sumY = 0, weight = 0;
    for (size_t i = 0; i < glow.size(); ++i)
        if (glow[i] * 2 > best) {
            sumX += double(glow[i]) * (i % 640);
            sumY += double(glow[i]) * (i / 640);
            weight += glow[i];
        }
    EXPECT_NEAR(sumX / weight, x, 3.0) << "ship at " << x << "," << y;
    EXPECT_NEAR(sumY / weight, y, 3.0) << "ship at " << x << "," << y;
}
