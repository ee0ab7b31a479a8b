// The shaders the game ships: each compiles and links on the driver at hand
// with the uniforms the game sets, and the passes do what their callers need:
// the distortion leaves the picture alone where its map is black and bends it
// where a ring was drawn, the bloom brightens only around bright parts, and
// the ground's glow sits under the player's ship as the camera sees it.
#include <algorithm>
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
    ~LoadedShader()
    {
        if (shader)
            shader->Release();
    }
};

std::unique_ptr<LoadedShader> Load(const std::string& file)
{
    auto loaded = std::make_unique<LoadedShader>();
    loaded->output = CaptureStdout([&] { loaded->shader = std::make_unique<Shader>(kShaderDir + file); });
    return loaded;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A 640 x 480 RGBA texture filled by `pixel(x, y)`, y counted from the bottom.
template <typename F>
GLuint MakeTexture(F pixel)
{
    std::vector<unsigned char> data(640 * 480 * 4);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            Rgba p = pixel(x, y);
            std::copy(p.begin(), p.end(), data.begin() + (y * 640 + x) * 4);
        }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 640, 480, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    return name;
}

void BindTexture(GLuint name, int unit)
{
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
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

// The full-screen pass the bloom and distortion effects draw: texture (0, 1)
// at the window's top-left.
void FullscreenPass(const Shader& shader, const ShaderParameters& parameters)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    shader.Bind();
    shader.SetParameters(parameters);
    UseClipCoordinates();
    glBegin(GL_QUADS);
    for (int corner : {0, 1, 3, 2}) {
        glTexCoord2f(corner & 1, corner >> 1);
        glVertex2f((corner & 1) * 2 - 1, (corner >> 1) * 2 - 1);
    }
    glEnd();
    Shader::Unbind();
}

// Copies the window into a new texture, as a render target would hold it.
GLuint CopyWindow()
{
    GLuint name = MakeTexture([](int, int) { return Rgba{0, 0, 0, 255}; });
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, name);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 480);
    return name;
}

int Brightness(const Rgba& p)
{
    return int(p[0]) + int(p[1]) + int(p[2]);
}

}  // namespace

TEST(ShippedShaders, EveryShaderLinksWithTheUniformsTheGameSets)
{
    ResetGLState();
    // The uniforms each effect sets and the shader actually reads (a declared
    // but unused uniform has no location, so these must be in use).
    const struct {
        const char* file;
        std::vector<const char*> uniforms;
    } cases[] = {
        {"player.shdr", {}},
        {"enemy.shdr", {}},
        {"shield.shdr", {"alpha"}},
        {"ground.shdr", {"plrPosX", "plrPosY", "camY"}},
        {"blurx.shdr", {"width", "height"}},
        {"blury.shdr", {"width", "height"}},
        {"bloom.shdr", {"source_tex", "blur_tex"}},
        {"distort.shdr", {"source_tex", "distort_tex"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        auto loaded = Load(c.file);
        GLint linked = 0;
        glGetObjectParameterivARB(loaded->shader->GetProgram(), GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_TRUE(linked) << loaded->output;
        for (const char* word : {"error", "warning"})
            EXPECT_EQ(Lower(loaded->output).find(word), std::string::npos) << loaded->output;
        for (const char* uniform : c.uniforms)
            EXPECT_NE(glGetUniformLocationARB(loaded->shader->GetProgram(), uniform), -1) << uniform;
    }
    // Nothing else in the directory, so a new shader gets a line above.
    EXPECT_EQ(ListFilesWithExtension(kShaderDir, ".shdr").size(), std::size(cases));
}

TEST(ShippedShaders, DistortionKeepsThePictureWhereTheMapIsBlackAndBendsItAtARing)
{
    ResetGLState();
    auto distort = Load("distort.shdr");
    ShaderParameters parameters;
    parameters.SetInt("source_tex", 0);
    parameters.SetInt("distort_tex", 1);

    auto pattern = [](int x, int y) {
        return Rgba{static_cast<unsigned char>(x * 255 / 639), static_cast<unsigned char>(y * 255 / 479),
                    static_cast<unsigned char>((x / 8 + y / 8) % 2 ? 200 : 40), 255};
    };
    GLuint source = MakeTexture(pattern);
    GLuint black = MakeTexture([](int, int) { return Rgba{0, 0, 0, 255}; });
    // A shockwave's ring around the middle of the window.
    GLuint ring = MakeTexture([](int x, int y) {
        double r = std::hypot(x - 320.0, y - 240.0);
        auto v = static_cast<unsigned char>(230.0 * std::exp(-std::pow((r - 80.0) / 12.0, 2.0)));
        return Rgba{v, v, v, 255};
    });

    BindTexture(source, 0);
    BindTexture(black, 1);
    FullscreenPass(*distort->shader, parameters);
    const int probes[][2] = {{0, 0}, {5, 7}, {320, 240}, {401, 133}, {639, 479}, {100, 300}};
    for (const auto& p : probes)
        EXPECT_TRUE(Near(ReadPixel(p[0], p[1]), pattern(p[0], p[1]), 2)) << p[0] << "," << p[1];

    BindTexture(ring, 1);
    FullscreenPass(*distort->shader, parameters);
    int moved = 0;
    for (int x = 200; x < 440; x += 3)
        if (!Near(ReadPixel(x, 240), pattern(x, 240), 6))
            ++moved;
    EXPECT_GT(moved, 10) << "the ring should displace pixels along its slopes";
    // Far from the ring the picture is unchanged.
    EXPECT_TRUE(Near(ReadPixel(20, 20), pattern(20, 20), 2));
    EXPECT_TRUE(Near(ReadPixel(320, 240), pattern(320, 240), 2));

    ReleaseTextures({source, black, ring});
}

TEST(ShippedShaders, BloomBrightensOnlyAroundBrightParts)
{
    ResetGLState();
    auto blurX = Load("blurx.shdr");
    auto blurY = Load("blury.shdr");
    auto bloom = Load("bloom.shdr");
    ShaderParameters blurParameters;
    blurParameters.SetInt("width", 640);
    blurParameters.SetInt("height", 480);
    ShaderParameters bloomParameters;
    bloomParameters.SetInt("source_tex", 0);
    bloomParameters.SetInt("blur_tex", 1);

    // A mid-grey scene with a small white light in the middle.
    auto scene = [](int x, int y) {
        bool light = std::abs(x - 320) < 6 && std::abs(y - 240) < 6;
        return light ? Rgba{255, 255, 255, 255} : Rgba{90, 100, 110, 255};
    };
    GLuint source = MakeTexture(scene);
    BindTexture(source, 0);
    FullscreenPass(*blurX->shader, blurParameters);
    GLuint horizontal = CopyWindow();
    BindTexture(horizontal, 0);
    FullscreenPass(*blurY->shader, blurParameters);
    GLuint blurred = CopyWindow();

    BindTexture(source, 0);
    BindTexture(blurred, 1);
    FullscreenPass(*bloom->shader, bloomParameters);

    // Mid-tones far from the light come through unchanged...
    for (const auto& p : {std::array<int, 2>{40, 40}, {600, 400}, {320, 100}, {250, 240}})
        EXPECT_TRUE(Near(ReadPixel(p[0], p[1]), scene(p[0], p[1]), 2)) << p[0] << "," << p[1];
    // ...while the grey next to the light glows, more so closer to it.
    int near = Brightness(ReadPixel(328, 240));
    int further = Brightness(ReadPixel(334, 240));
    int base = Brightness(scene(328, 240));
    EXPECT_GT(near, base + 30);
    EXPECT_GT(near, further);
    EXPECT_GE(further, base);
    // And the light stays white.
    EXPECT_GT(Brightness(ReadPixel(320, 240)), 3 * 245);

    ReleaseTextures({source, horizontal, blurred});
}

TEST(ShippedShaders, GroundGlowSitsUnderThePlayerAsTheCameraSeesIt)
{
    ResetGLState();
    auto ground = Load("ground.shdr");
    // The player to the side and a little ahead of the view; the camera follows
    // half way (level width 1000), the board shifts the terrain by half the
    // camera's x and lays it 1000 below the play plane.
    const float px = 320.0f, py = 5100.0f, camX = px / 2.0f, camZ = 5000.0f;

    // Draws flat meadow under the whole view, with the player at playerX, py.
    auto draw = [&](int playerX) {
        ShaderParameters parameters;
        parameters.SetInt("plrPosX", playerX);
        parameters.SetInt("plrPosY", int(py));
        parameters.SetInt("camY", int(camZ));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        gluLookAt(camX, 1000, camZ, camX, 0, camZ, 0, 0, 1);
        glTranslatef(-camX / 2.0f, -1000.0f, 0.0f);
        ground->shader->Bind();
        ground->shader->SetParameters(parameters);
        glBegin(GL_QUADS);
        glNormal3f(0, 1, 0);
        for (int corner : {0, 2, 3, 1})
            glVertex3f(corner & 1 ? 3000 : -3000, 100, camZ + (corner & 2 ? 3000 : -3000));
        glEnd();
        Shader::Unbind();
        glPopMatrix();
    };
    // Where the camera shows the ship.
    glPushMatrix();
    gluLookAt(camX, 1000, camZ, camX, 0, camZ, 0, 0, 1);
    GLdouble modelView[16], projection[16], sx = 0, sy = 0, sz = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    gluProject(px, 0, py, modelView, projection, viewport, &sx, &sy, &sz);
    const int x = int(std::lround(sx)), y = int(std::lround(sy));
    ASSERT_TRUE(x > 40 && x < 600 && y > 40 && y < 440) << x << "," << y;

    // The glow is the difference between the ship present and far away.
    std::vector<int> glow(640 * 480);
    std::vector<unsigned char> pixels(640 * 480 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int sign : {1, -1}) {
        draw(sign > 0 ? int(px) : 100000);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (size_t i = 0; i < glow.size(); ++i)
            glow[i] += sign * (pixels[i * 4] + pixels[i * 4 + 1] + pixels[i * 4 + 2]);
    }
    // Its middle: the centroid of where it is above half its peak (the peak
    // itself is a plateau a few pixels wide in 8-bit colour).
    const int best = *std::max_element(glow.begin(), glow.end());
    EXPECT_GT(best, 60) << "the glow should be plainly visible";
    double sumX = 0, sumY = 0, weight = 0;
    for (size_t i = 0; i < glow.size(); ++i)
        if (glow[i] * 2 > best) {
            sumX += double(glow[i]) * (i % 640);
            sumY += double(glow[i]) * (i / 640);
            weight += glow[i];
        }
    ASSERT_GT(weight, 0);
    EXPECT_NEAR(sumX / weight, x, 3.0) << "ship at " << x << "," << y;
    EXPECT_NEAR(sumY / weight, y, 3.0) << "ship at " << x << "," << y;
    EXPECT_LT(glow[y * 640 + (x > 320 ? x - 200 : x + 200)], 6) << "soft: gone a quarter of the screen away";
}
