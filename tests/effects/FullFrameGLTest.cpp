// The full-screen effects on a known picture, where the shipped frames
// (ShippedFramesGLTest) do not reach: the sky effect; a window smaller than
// the offscreen passes; the plain blur layout; a calm frame goes from bloom
// straight to the window only with a distortion shader that leaves a clear
// map's picture alone, and looks the same either way, as does a shockwave's
// frame composited only around its rings; each effect leaves the GL state it
// promises; a frame never shows what its targets held before; and a missing
// shader or refused render target still gives the picture, never a black or
// lost frame.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Debug.h"
#include "core/System.h"
#include "effects/BloomEffect.h"
#include "effects/DistortEffect.h"
#include "effects/Explosion.h"
#include "effects/GraphicalEffects.h"
#include "effects/SkyboxEffect.h"
#include "game/Assets.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/ScreenDraw.h"
#include "render/ShaderManager.h"
#include "render/TextureManager.h"
#include "scene/Camera.h"
#include "scene/World.h"
#include "tests/support/GLTestUtil.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string kShaders = std::string(VANTREL_SOURCE_DIR) + "/data/shaders/";
using Picture = std::vector<Rgba>;

// Mid-tone stripes (below the glow threshold) with one white square whose
// window pixels are x 128..159, y 360..383; drawn in clip coordinates so the
// camera does not matter.
class Pattern : public SceneNode {
public:
    bool gap = false;    // leaves one stripe out, showing what lies behind
    bool edges = false;  // white along the left and top edges and in a corner
    void Draw() override
    {
        ScreenDraw::PushOrtho(-1, 1, -1, 1);
        for (int i = gap ? 1 : 0; i < 40; ++i) {
            glColor3f(i % 2 ? 0.45f : 0.2f, i % 2 ? 0.4f : 0.3f, i % 2 ? 0.35f : 0.2f);
            glRectf(-1.0f + i / 20.0f, -1, -1.0f + (i + 1) / 20.0f, 1);
        }
        glColor3f(1, 1, 1);
        glRectf(-0.6f, 0.5f, -0.5f, 0.6f);
        if (edges) {
            glRectf(-1.0f, -0.3f, -0.98f, 0.3f);
            glRectf(0.2f, 0.97f, 0.41f, 1.0f);
            glRectf(0.995f, -1.0f, 1.0f, -0.99f);
        }
        ScreenDraw::PopOrtho();
    }
};

// Claims a part of the distortion map and draws nothing there: the frame
// takes the whole way, composite included, over a clear map. Gone at the
// next update.
class ClearMapClaim : public GFX::GraphicalEffect {
public:
    void Draw(SpriteBatch&) override {}
    bool HasDistortion() const override { return true; }
    bool Update(float) override { return false; }
    float GetHeight() const override { return 0.0f; }
};

// The bloom without its short way: a distortion through it always takes
// the whole way, composite included.
class WholeWayBloom : public BloomEffect {
public:
    WholeWayBloom() : BloomEffect(1, 0) {}
    bool RenderToWindowInsteadOf(Camera*, SceneNode*, int, int) override { return false; }
};

int Diff(const Rgba& a, const Rgba& b)
{
    int d = 0;
    for (int i = 0; i < 3; ++i)
        d = std::max(d, std::abs(int(a[i]) - int(b[i])));
    return d;
}

// Pixels of `a` that differ from `b` by more than `tolerance`.
int Changes(const Picture& a, const Picture& b, int tolerance)
{
    int changes = 0;
    for (size_t i = 0; i < a.size(); ++i)
        changes += Diff(a[i], b[i]) > tolerance;
    return changes;
}

class FullFrameGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        System& system = System::Instance();
        CaptureStdout([&] {
            LoadShaders(kShaders);
            if (system.GetTextureManager()->Count() == 0)
                system.GetTextureManager()->LoadDirectory(std::string(VANTREL_SOURCE_DIR) + "/data/textures/");
            system.GetTextureManager()->CreateRenderTarget(0, 4, 640, 480);
            system.GetTextureManager()->CreateRenderTarget(1, 2, 640, 480);
            // The world's own models stay empty and hold no shader, which the
            // tests load anew under it: only the pattern is drawn, wherever
            // the test is run from.
            Assets::SetSource(Assets::NullSource());
            world = std::make_unique<World>();
        });
        GFX::Explosion::SetTextureSource(system.GetTextureManager());
        world->AddChild(pattern = new Pattern());
        ResetGLState();
    }
    void TearDown() override
    {
        world.reset();
        Assets::SetSource({});
        ResetGLState();
    }
    // Every target and the window to (grey, 0, grey, 0) and this depth, as
    // an old frame might leave them; the usual clear values are kept.
    static void Junk(float grey, double depth)
    {
        TextureManager* textures = System::Instance().GetTextureManager();
        glClearColor(grey, 0.0f, grey, 0.0f);
        glClearDepth(depth);
        for (FramebufferObject* target : {textures->GetRenderTarget(0), textures->GetRenderTarget(1)})
            for (int i = 0; i < target->GetCount(); ++i) {
                target->Bind(i);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            }
        FramebufferObject::Unbind();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClearDepth(1.0);
    }
    static void LoadShaders(const std::string& dir)
    {
        System::Instance().GetShaderManager()->Clear();
        System::Instance().GetShaderManager()->LoadDirectory(dir);
    }

    static Picture ReadWindow()
    {
        Picture pixels(640 * 480);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // What the camera alone draws into the window.
    Picture Plain()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.Render(world.get());
        return ReadWindow();
    }
    // One frame through the effect, without a clear (the effects clear what
    // they draw into); `combinedInto`, when given, receives the framebuffer
    // that bloom's combine drew into.
    Picture Through(RenderingEffect& effect, GLint* combinedInto = nullptr)
    {
        System::Instance().GetDebug()->SetPassHook([&](const char* pass) {
            if (combinedInto && std::string(pass) == "combine")
                glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, combinedInto);
        });
        glLoadIdentity();
        camera.RenderFrame(world.get(), &effect);
        System::Instance().GetDebug()->SetPassHook(nullptr);
        return ReadWindow();
    }
    // A frame over a moved model-view matrix, which the effects reset, then
    // the GL state they promise to leave, with `framebuffer` bound: blending,
    // depth test and clear colour as at start-up, the model-view matrix at
    // the identity, units 0 and 1 untextured. A program or blend function
    // left behind shows on the shipped frames.
    void ExpectStateAfter(RenderingEffect& effect, GLuint framebuffer = 0)
    {
        glLoadIdentity();
        glTranslatef(5, 6, 7);
        camera.RenderFrame(world.get(), &effect);
        GLint bound = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        EXPECT_EQ(GLuint(bound), framebuffer);
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

    Camera camera{Vec3(0, 1000, 0), Vec3(0, 0, 0), Vec3(0, 0, 1)};
    std::unique_ptr<World> world;
    Pattern* pattern = nullptr;  // owned by the world
};

// A sky camera with no direction of its own shows the current view, drawn
// past a depth buffer that would reject everything; and on a window whose
// framebuffer is smaller than the screen size the offscreen passes stay at
// 640 x 480 and the window shows them scaled.
TEST_F(FullFrameGLTest, TheSkyIgnoresDepthAndTargetsKeepTheirSize)
{
    const Picture plain = Plain();
    Camera skyCamera(Vec3(1, 2, 3), Vec3(1, 2, 3), Vec3(0, 0, 1));
    SkyboxEffect sky(&skyCamera);
    Junk(1.0f, 0.0);
    camera.RenderFrame(world.get(), &sky);
    EXPECT_LE(Diff(ReadWindow()[240 * 640 + 300], plain[240 * 640 + 300]), 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    glViewport(0, 0, 320, 240);
    BloomEffect bloom(1, 0);
    DistortEffect distort(&bloom);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera.RenderFrame(world.get(), &distort);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    const GLuint scene = System::Instance().GetTextureManager()->GetRenderTarget(1)->GetTexture(0)->GetId();
    EXPECT_GT(TexturePixel(scene, 640, 480, 143, 372)[0], 240) << "the whole square at its full-size place";
    EXPECT_GT(ReadPixel(72, 186)[0], 240) << "at half size in the window";
    EXPECT_LT(ReadPixel(143, 372)[0], 200);
}

// Where the driver has float targets the blurs take the shipped shaders'
// packed layout, four columns per texel; its picture is the plain layout's,
// whether that fetches single texels or takes the filtered way every driver
// has, bright parts at the picture's edges and corners included. A data
// directory whose shaders do not offer it gets the plain layout.
TEST_F(FullFrameGLTest, ThePackedBlurGivesThePlainBlursPicture)
{
    pattern->edges = true;
    BloomEffect packed(-1, 0);
    ASSERT_TRUE(packed.UsesPackedBlur());
    const Picture fast = Through(packed);
    const std::string fetching = "#elif defined(GL_EXT_gpu_shader4)";
    for (bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "filtered" : "fetching texels");
        TempDir plainOnly;
        for (const char* file : {"blurx.shdr", "blury.shdr", "bloom.shdr", "distort.shdr"}) {
            std::string text = ReadFile(kShaders + file);
            for (size_t at; (at = text.find(BloomEffect::kPackedDefine)) != std::string::npos;)
                text.replace(at, std::string(BloomEffect::kPackedDefine).size(), "NOT_OFFERED");
            if (const size_t at = text.find(fetching); filtered && at != std::string::npos)
                text.replace(at, fetching.size(), "#elif 0");
            plainOnly.Write(file, text);
        }
        CaptureStdout([&] { LoadShaders(plainOnly.Path()); });
        BloomEffect plain(-1, 0);
        EXPECT_FALSE(plain.UsesPackedBlur());
        // The filter rounds each blur's average to 8 bits: a level in each.
        EXPECT_EQ(Changes(Through(plain), fast, filtered ? 2 : 1), 0);
    }
    EXPECT_GT(Changes(Plain(), fast, 20), 1000) << "the glow is there to compare";
}

// A data directory may bring its own distortion shader, which may do
// anything with a clear map or reach anywhere from a lit one: the short way
// (the picture into the window, composited anew only near the map's
// sprites) is taken only for one found to copy its source and to change it
// only near the lit map, and the picture is the whole way's in every case,
// a shockwave's included.
TEST_F(FullFrameGLTest, ACalmFrameSkipsTheCompositeOnlyWhereThatLooksTheSame)
{
    const std::string head = "[vertex]\nvoid main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }\n"
                             "[fragment]\nuniform sampler2D source_tex; uniform sampler2D distort_tex;\n"
                             "void main() { vec2 uv = gl_TexCoord[0].st; vec4 map = texture2D(distort_tex, uv);\n";
    const std::pair<const char*, std::string> cases[] = {
        {"shipped", ""},
        {"tint", "gl_FragColor = vec4(texture2D(source_tex, uv).rgb * vec3(1.0, 0.9, 0.8) + map.r, 1.0); }"},
        {"scaled by the source's alpha", "vec4 c = texture2D(source_tex, uv); gl_FragColor = vec4(c.rgb * c.a + map.r, 1.0); }"},
        {"darker where flat",
         "vec3 c = texture2D(source_tex, uv).rgb, right = texture2D(source_tex, uv + vec2(1.0 / 640.0, 0.0)).rgb;\n"
         "gl_FragColor = vec4((c == right && uv.x < 0.99 ? c * 0.9 : c) + map.r, 1.0); }"},
        {"reaching far", "gl_FragColor = vec4(texture2D(source_tex, uv).rgb + texture2D(distort_tex, uv + vec2(0.05, 0.0)).r, 1.0); }"},
        {"looking far beside the map", "float beside = texture2D(distort_tex, uv + vec2(2.0 / 640.0, 0.0)).r * (1.0 - map.r);\n"
                                       "gl_FragColor = vec4(texture2D(source_tex, uv + vec2(0.2 * beside, 0.0)).rgb, 1.0); }"},
    };
    const GLuint slot1 = System::Instance().GetTextureManager()->GetRenderTarget(1)->GetFramebuffer();
    for (const auto& [what, shader] : cases) {
        SCOPED_TRACE(what);
        const bool direct = shader.empty();
        TempDir dir;
        for (const char* file : {"blurx.shdr", "blury.shdr", "bloom.shdr", "distort.shdr"})
            dir.Write(file, direct || std::string(file) != "distort.shdr" ? ReadFile(kShaders + file) : head + shader);
        CaptureStdout([&] { LoadShaders(dir.Path()); });
        BloomEffect bloom(1, 0);
        DistortEffect distort(&bloom);
        GLint wholeInto = -1, calmInto = -1;
        world->GetGraphicalEffects()->Add(std::make_unique<ClearMapClaim>());
        const Picture whole = Through(distort, &wholeInto);
        world->GetGraphicalEffects()->Update(0.0f);
        const Picture calm = Through(distort, &calmInto);
        const bool local = direct || std::string(what).find("far") == std::string::npos;
        EXPECT_EQ(GLuint(wholeInto), direct ? 0 : slot1);
        EXPECT_EQ(calmInto == 0, direct || !local);
        EXPECT_EQ(Changes(calm, whole, 0), 0);
        EXPECT_EQ(Changes(Through(distort), calm, 0), 0) << "the next calm frame";
        // Size 60 aged 300 ms at the origin: a shockwave of half-extent 160
        // world units, about 94 pixels round the window's centre at this
        // height.
        world->GetGraphicalEffects()->AddExplosion(60.0f, Vec3(0, 10, 0), -300.0f);
        GLint rippledInto = -1, referenceInto = -1;
        const Picture rippled = Through(distort, &rippledInto);
        WholeWayBloom wholeBloom;
        DistortEffect wholeWay(&wholeBloom);
        const Picture reference = Through(wholeWay, &referenceInto);
        EXPECT_EQ(GLuint(referenceInto), slot1);
        EXPECT_EQ(rippledInto == 0, direct);
        // Texture coordinates of a part of the quad may round otherwise in
        // the last bit: one level at most.
        EXPECT_EQ(Changes(rippled, reference, 1), 0);
        world->GetGraphicalEffects()->Update(1e6f);  // gone again
    }
}

// The effects clear what they draw into, so a frame never shows what the
// window or a target held before, also where the scene leaves a gap: the
// caller clears nothing. Each leaves the GL state it promises, whatever
// matrix the caller left.
TEST_F(FullFrameGLTest, AFrameDoesNotDependOnWhatItsTargetsHeldBeforeAndLeavesThePromisedState)
{
    pattern->gap = true;
    BloomEffect bloom(1, 0), bloomToWindow(-1, 0);
    SkyboxEffect sky(nullptr);  // clears nothing
    DistortEffect distort(&bloom), plainDistort(nullptr), skyDistort(&sky);
    ExpectStateAfter(bloom, System::Instance().GetTextureManager()->GetRenderTarget(1)->GetFramebuffer());
    for (const char* when : {"calm ", "shockwave "}) {
        for (auto [effect, inner] : {std::pair<RenderingEffect*, const char*>{&bloomToWindow, "bloom"},
                                     {&distort, "distort bloom"}, {&plainDistort, "distort"}, {&skyDistort, "distort sky"}}) {
            SCOPED_TRACE(std::string(when) + inner);
            Junk(0.0f, 1.0);
            const Picture clean = Through(*effect);
            Junk(1.0f, 0.0);
            EXPECT_EQ(Changes(Through(*effect), clean, 0), 0);
            ExpectStateAfter(*effect);
        }
        world->GetGraphicalEffects()->AddExplosion(60.0f, Vec3(0, 10, 0), -300.0f);
    }
}

// A missing shader or a render target the driver refuses still gives the
// picture, never a black or lost frame; a refused target says so once (a
// missing shader's line is the shader manager's: ModelGLTest).
TEST_F(FullFrameGLTest, WithoutShadersOrATargetThePictureStillShows)
{
    const Picture plain = Plain();
    System::Instance().GetShaderManager()->Clear();
    std::unique_ptr<BloomEffect> bloom, bloomToWindow;
    std::unique_ptr<DistortEffect> distort;
    CaptureStdout([&] {
        bloomToWindow = std::make_unique<BloomEffect>(-1, 0);
        bloom = std::make_unique<BloomEffect>(1, 0);
        distort = std::make_unique<DistortEffect>(bloom.get());
    });
    EXPECT_EQ(Changes(Through(*bloomToWindow), plain, 3), 0) << "bloom without shaders";
    EXPECT_EQ(Changes(Through(*distort), plain, 3), 0) << "distort without shaders";

    // A target the driver refuses (depth only): the world straight into the window.
    CaptureStdout([&] { LoadShaders(kShaders); });
    CaptureStdout([&] { System::Instance().GetTextureManager()->CreateRenderTarget(1, 0, 640, 480); });
    DistortEffect refused(nullptr);
    const std::string refusal = CaptureStdout([&] {
        EXPECT_EQ(Changes(Through(refused), plain, 3), 0) << "refused target";
        Junk(1.0f, 0.0);
        EXPECT_EQ(Changes(Through(refused), plain, 3), 0) << "refused target over an old picture and depth";
    });
    EXPECT_EQ(refusal, "Render target 1 cannot be drawn to on this driver; no bloom or shockwave effect\n");
}

}  // namespace
