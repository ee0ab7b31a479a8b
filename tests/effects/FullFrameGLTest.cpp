// The full-screen effects on a known picture: bloom glows only around bright
// parts, the distortion leaves a calm frame exactly as bloom made it and
// ripples only near a shockwave, each effect leaves the GL state it
// promises, and a missing shader or refused render target still gives the
// picture, never a black or lost frame.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/System.h"
#include "effects/BloomEffect.h"
#include "effects/DistortEffect.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "effects/SkyboxEffect.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"
#include "scene/Camera.h"
#include "scene/World.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string kData = std::string(VANTREL_SOURCE_DIR) + "/data/";

// Mid-tone stripes (below the glow threshold) with one white square whose
// window pixels are x 128..159, y 360..383; drawn in clip coordinates so the
// camera does not matter.
class Pattern : public SceneNode {
public:
    void Draw() override
    {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        for (int i = 0; i < 40; ++i) {
            if (i % 2)
                glColor3f(0.45f, 0.4f, 0.35f);
            else
                glColor3f(0.2f, 0.3f, 0.2f);
            glRectf(-1.0f + i / 20.0f, -1, -1.0f + (i + 1) / 20.0f, 1);
        }
        glColor3f(1, 1, 1);
        glRectf(-0.6f, 0.5f, -0.5f, 0.6f);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};

std::vector<Rgba> ReadWindow()
{
    std::vector<Rgba> pixels(640 * 480);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int Brightness(const Rgba& p)
{
    return int(p[0]) + int(p[1]) + int(p[2]);
}

int Diff(const Rgba& a, const Rgba& b)
{
    int d = 0;
    for (int i = 0; i < 3; ++i)
        d = std::max(d, std::abs(int(a[i]) - int(b[i])));
    return d;
}

class FullFrameGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        System& system = System::Instance();
        CaptureStdout([&] {
            if (system.GetShaderManager()->Count() == 0)
                system.GetShaderManager()->LoadDirectory(kData + "shaders/");
            if (system.GetTextureManager()->Count() == 0)
                system.GetTextureManager()->LoadDirectory(kData + "textures/");
            system.GetTextureManager()->CreateRenderTarget(0, 4, 640, 480);
            system.GetTextureManager()->CreateRenderTarget(1, 2, 640, 480);
            world = std::make_unique<World>();
        });
        GFX::Explosion::SetTextureSource(system.GetTextureManager());
        world->AddChild(new Pattern());
        ResetGLState();
    }
    void TearDown() override
    {
        world.reset();
        ResetGLState();
    }

    // What the camera alone draws into the window.
    std::vector<Rgba> Plain()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Render(world.get());
        return ReadWindow();
    }
    std::vector<Rgba> Through(RenderingEffect& effect)
    {
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.RenderFrame(world.get(), &effect);
        return ReadWindow();
    }

    Camera camera{Vec3(0, 1000, 0), Vec3(0, 0, 0), Vec3(0, 0, 1)};
    std::unique_ptr<World> world;
};

TEST_F(FullFrameGLTest, BloomGlowsAroundBrightPartsAndLeavesMidTonesAlone)
{
    const std::vector<Rgba> plain = Plain();
    BloomEffect bloom(-1, 0);
    const std::vector<Rgba> bloomed = Through(bloom);
    auto at = [](const std::vector<Rgba>& p, int x, int y) { return p[size_t(y) * 640 + x]; };
    // Far from the square the stripes come through as they were.
    for (auto [x, y] : {std::pair{400, 100}, {600, 450}, {20, 20}, {300, 240}})
        EXPECT_LE(Diff(at(plain, x, y), at(bloomed, x, y)), 3) << x << "," << y;
    // A halo just outside the square, on each side.
    for (auto [x, y] : {std::pair{122, 372}, {165, 372}, {143, 354}, {143, 389}})
        EXPECT_GT(Brightness(at(bloomed, x, y)) - Brightness(at(plain, x, y)), 25) << x << "," << y;
    EXPECT_GT(at(bloomed, 143, 372)[0], 240);
}

TEST_F(FullFrameGLTest, EffectsLeaveTheStateTheyPromise)
{
    BloomEffect intoTarget(1, 0), intoWindow(-1, 0);
    DistortEffect distort(&intoTarget);
    const GLuint slot1 = System::Instance().GetTextureManager()->GetRenderTarget(1)->GetFramebuffer();
    const std::pair<RenderingEffect*, GLuint> cases[] = {{&intoTarget, slot1}, {&intoWindow, 0}, {&distort, 0}};
    for (auto [effect, framebuffer] : cases) {
        glLoadIdentity();
        glTranslatef(5, 6, 7);  // the effects reset what the caller left here
        camera.RenderFrame(world.get(), effect);
        GLint bound = -1, mode = 0, src = 0, dst = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(GLuint(bound), framebuffer);
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
        EXPECT_TRUE(src == GL_SRC_ALPHA && dst == GL_ONE_MINUS_SRC_ALPHA && mode == GL_MODELVIEW);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_BLEND));
        for (int unit : {1, 0}) {
            glActiveTextureARB(GL_TEXTURE0_ARB + unit);
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << unit;
        }
        GLfloat clear[4], modelview[16];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_FLOAT_EQ(clear[0], 0.5f);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        FramebufferObject::Unbind();
    }
}

TEST_F(FullFrameGLTest, AShockwaveRipplesThePictureOnlyAroundItself)
{
    BloomEffect bloomToWindow(-1, 0), bloom(1, 0);
    DistortEffect distort(&bloom);
    const std::vector<Rgba> bloomed = Through(bloomToWindow);
    const std::vector<Rgba> calm = Through(distort);
    int calmChanges = 0;
    for (size_t i = 0; i < calm.size(); ++i)
        calmChanges += Diff(calm[i], bloomed[i]) > 2;
    EXPECT_EQ(calmChanges, 0);

    // Size 60 aged 300 ms at the origin: a shockwave of half-extent 160 world
    // units, about 90 pixels from the window's centre at this height.
    world->GetGraphicalEffects()->AddExplosion(60.0f, Vec3(0, 10, 0), -300.0f);
    const std::vector<Rgba> rippled = Through(distort);
    int near = 0, far = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const size_t i = size_t(y) * 640 + x;
            // The sprite is a square of about 94 pixels' half-extent; inside
            // it the picture moves by more than the crest's slight lightening.
            const int d = Diff(rippled[i], bloomed[i]);
            const double r = std::hypot(x - 320.0, y - 240.0);
            near += r < 110 && d > 30;
            far += r > 140 && d > 10;
        }
    EXPECT_GT(near, 200);
    EXPECT_EQ(far, 0);
}

TEST_F(FullFrameGLTest, OffscreenPassesStayAt640x480WhateverTheWindowViewport)
{
    // As on a window whose framebuffer is smaller than the screen size.
    glViewport(0, 0, 320, 240);
    BloomEffect bloom(1, 0);
    DistortEffect distort(&bloom);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera.RenderFrame(world.get(), &distort);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    // The scene texture holds the whole square at its full-size place...
    const GLuint scene = System::Instance().GetTextureManager()->GetRenderTarget(1)->GetTexture(0)->GetId();
    EXPECT_GT(TexturePixel(scene, 640, 480, 143, 372)[0], 240);
    // ...and the window shows it at half size.
    EXPECT_GT(ReadPixel(72, 186)[0], 240);
    EXPECT_LT(ReadPixel(143, 372)[0], 200);
}

TEST_F(FullFrameGLTest, WithoutShadersOrARefusedTargetThePictureStillShows)
{
    System& system = System::Instance();
    const std::vector<Rgba> plain = Plain();
    auto expectPlain = [&](const std::vector<Rgba>& frame, const char* what) {
        int changes = 0;
        for (size_t i = 0; i < frame.size(); ++i)
            changes += Diff(frame[i], plain[i]) > 3;
        EXPECT_EQ(changes, 0) << what;
    };

    // A target the driver refuses (depth only): straight into the window,
    // said once.
    CaptureStdout([&] { system.GetTextureManager()->CreateRenderTarget(1, 0, 640, 480); });
    {
        BloomEffect bloom(1, 0);
        DistortEffect distort(&bloom);
        std::vector<Rgba> frame;
        const std::string said = CaptureStdout([&] {
            frame = Through(distort);
            frame = Through(distort);
        });
        expectPlain(frame, "refused target");
        EXPECT_EQ(said, "Render target 1 cannot be drawn to on this driver; no bloom or shockwave effect\n");
    }
    CaptureStdout([&] { system.GetTextureManager()->CreateRenderTarget(1, 2, 640, 480); });

    // No shaders at all: each pass shows its source unchanged; the missing
    // files were named once, at construction.
    system.GetShaderManager()->Clear();
    std::string said;
    {
        std::unique_ptr<BloomEffect> bloom, bloomToWindow;
        std::unique_ptr<DistortEffect> distort;
        said = CaptureStdout([&] {
            bloomToWindow = std::make_unique<BloomEffect>(-1, 0);
            bloom = std::make_unique<BloomEffect>(1, 0);
            distort = std::make_unique<DistortEffect>(bloom.get());
        });
        expectPlain(Through(*bloomToWindow), "bloom without shaders");
        expectPlain(Through(*distort), "distort without shaders");
    }
    CaptureStdout([&] { system.GetShaderManager()->LoadDirectory(kData + "shaders/"); });
    for (const char* file : {"blurx.shdr", "blury.shdr", "bloom.shdr", "distort.shdr"})
        EXPECT_NE(said.find(std::string("Missing shader ") + file), std::string::npos) << said;
}

TEST_F(FullFrameGLTest, SkyboxDrawsWithoutDepthAndLeavesTheDepthTestOn)
{
    // A sky camera with no direction of its own shows the current view.
    const std::vector<Rgba> plain = Plain();
    Camera sky(Vec3(1, 2, 3), Vec3(1, 2, 3), Vec3(0, 0, 1));
    SkyboxEffect skybox(&sky);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearDepth(0.0);  // a depth buffer that would reject everything
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    camera.RenderFrame(world.get(), &skybox);
    const std::vector<Rgba> frame = ReadWindow();
    EXPECT_LE(Diff(frame[240 * 640 + 300], plain[240 * 640 + 300]), 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

}  // namespace
