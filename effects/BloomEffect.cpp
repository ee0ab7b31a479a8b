#include "effects/BloomEffect.h"

#include <cstdio>

#include "core/Debug.h"
#include "core/System.h"
#include "effects/EffectShaders.h"
#include "render/FramebufferObject.h"
#include "render/GL.h"
#include "render/ScreenDraw.h"
#include "render/Shader.h"
#include "render/ShaderManager.h"
#include "render/ShaderParameters.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/Camera.h"

namespace {

const int kWorkSlot = 0;
const Viewport kOffscreen{0, 0, BloomEffect::kWidth, BloomEffect::kHeight};

}  // namespace

BloomEffect::BloomEffect(int targetSlot_, int targetAttachment_)
    : targetSlot(targetSlot_), targetAttachment(targetAttachment_)
{
    blurXShader = FindEffectShader("blurx.shdr");
    blurYShader = FindEffectShader("blury.shdr");
    bloomShader = FindEffectShader("bloom.shdr");
    shadersUsable = blurXShader && blurYShader && bloomShader;
    blurParameters = std::make_unique<ShaderParameters>();
    blurParameters->SetInt("width", kWidth);
    blurParameters->SetInt("height", kHeight);
    bloomParameters = std::make_unique<ShaderParameters>();
    bloomParameters->SetInt("source_tex", 0);
    bloomParameters->SetInt("blur_tex", 1);
    if (shadersUsable)
        SetUpPackedBlur();
}

BloomEffect::~BloomEffect() = default;

void BloomEffect::SetUpPackedBlur()
{
    if (!System::FramebuffersSupported() || !GLEW_ARB_texture_float)
        return;
    ShaderManager* shaders = System::Instance().GetShaderManager();
    const char* files[3] = {"blurx.shdr", "blury.shdr", "bloom.shdr"};
    for (int i = 0; i < 3; ++i) {
        packedShaders[i] = shaders->GetVariant(files[i], kPackedDefine);
        if (!packedShaders[i])
            return;
    }
    const int options = FramebufferObject::kFloats | FramebufferObject::kNoDepth;
    auto columns = std::make_unique<FramebufferObject>(1, kWidth / 4, kHeight, options);
    auto rows = std::make_unique<FramebufferObject>(2, kWidth / 4, kHeight / 2, options | FramebufferObject::kLayers);
    // Whether the driver draws into them, asked without leaving a trace.
    const Viewport viewport = ScreenDraw::GetViewport();
    const bool drawable = columns->Bind(0) && rows->BindFirst(2);
    FramebufferObject::Unbind();
    ScreenDraw::SetViewport(viewport);
    if (!drawable)
        return;
    packedColumns = std::move(columns);
    packedRows = std::move(rows);
    packedBloomParameters = std::make_unique<ShaderParameters>();
    packedBloomParameters->SetInt("source_tex", 0);
    packedBloomParameters->SetInt("blur_tex", 1);
}

void BloomEffect::DrawFullscreenQuad(int width, int height)
{
    ScreenDraw::FullscreenQuad(width, height);
}

void BloomEffect::ReportOnce(const char* what)
{
    if (reported)
        return;
    reported = true;
    printf("%s; the picture is drawn without bloom\n", what);
}

bool BloomEffect::BindOutput(const Viewport& window) const
{
    FramebufferObject* output = targetSlot == -1 || outputToWindow
                                    ? nullptr
                                    : System::Instance().GetTextureManager()->GetRenderTarget(targetSlot);
    // An output target the driver refuses is replaced by the window, so the
    // frame is never lost.
    if (output && output->Bind(targetAttachment)) {
        ScreenDraw::SetViewport(kOffscreen);
        return true;
    }
    FramebufferObject::Unbind();
    ScreenDraw::SetViewport(window);
    return false;
}

void BloomEffect::Blur(FramebufferObject* work)
{
    // One pass from `source` (unit 0) into whatever is bound.
    auto pass = [this](Texture* source, Shader* shader, bool replacing, int width, int height, const char* name) {
        source->Bind(0);
        shader->Bind();
        shader->SetParameters(*blurParameters);
        if (replacing)
            ScreenDraw::FullscreenQuadReplacing(width, height);
        else
            ScreenDraw::FullscreenQuadWithoutDepth(width, height);
        Debug::EndOfPass(name);
    };
    if (packedRows) {
        // Every texel is written whole, alpha included: no clear, no blending.
        packedColumns->Bind(0);
        pass(work->GetTexture(0), packedShaders[0], true, kWidth / 4, kHeight, "blur x");
        packedRows->BindFirst(2);
        pass(packedColumns->GetTexture(0), packedShaders[1], true, kWidth / 4, kHeight / 2, "blur y");
        return;
    }
    // Slot 0's depth is the scene's alone: the blurs draw without it.
    work->Bind(1);
    pass(work->GetTexture(0), blurXShader, false, kWidth, kHeight, "blur x");
    work->Bind(2);
    pass(work->GetTexture(1), blurYShader, false, kWidth, kHeight, "blur y");
}

bool BloomEffect::RenderToWindowInsteadOf(Camera* camera, SceneNode* scene, int slot, int attachment)
{
    if (slot != targetSlot || attachment != targetAttachment || !shadersUsable)
        return false;
    // Without its work target Render draws the scene plainly into the
    // output, which into the window would be drawn against another depth
    // buffer: not the same picture in every case.
    const Viewport entry = ScreenDraw::GetViewport();
    FramebufferObject* work = System::Instance().GetTextureManager()->GetRenderTarget(kWorkSlot);
    const bool workUsable = work && work->GetCount() >= 3 && work->Bind(0);
    ScreenDraw::SetViewport(entry);
    if (!workUsable)
        return false;
    outputToWindow = true;
    Render(camera, scene);
    outputToWindow = false;
    return true;
}

void BloomEffect::Render(Camera* camera, SceneNode* scene)
{
    const Viewport window = ScreenDraw::GetViewport();
    FramebufferObject* work = System::Instance().GetTextureManager()->GetRenderTarget(kWorkSlot);
    // The three passes need attachments 0 to 2 of a target this driver accepts.
    const bool workUsable = work && work->GetCount() >= 3 && work->Bind(0);
    if (!shadersUsable || !workUsable) {
        if (shadersUsable)
            ReportOnce(work ? "Render target 0 cannot be drawn to on this driver" : "There is no render target 0");
        BindOutput(window);
        ScreenDraw::Clear();
        camera->Render(scene);
        return;
    }

    ScreenDraw::SetViewport(kOffscreen);
    ScreenDraw::Clear();
    Debug::EndOfPass("clears");
    camera->Render(scene);

    Blur(work);

    const bool offscreen = BindOutput(window);
    work->GetTexture(0)->Bind(0);
    if (packedRows) {
        packedRows->BindLayers(1);
        packedShaders[2]->Bind();
        packedShaders[2]->SetParameters(*packedBloomParameters);
    } else {
        work->GetTexture(2)->Bind(1);
        bloomShader->Bind();
        bloomShader->SetParameters(*bloomParameters);
    }
    // The window's depth is left as the full-screen pass always left it.
    if (offscreen)
        ScreenDraw::FullscreenQuadWithoutDepth(kWidth, kHeight);
    else
        DrawFullscreenQuad(kWidth, kHeight);

    // The highest unit first so that unit 0 is the active one afterwards.
    if (packedRows)
        FramebufferObject::UnbindLayers(1);
    Texture::Unbind(1);
    Texture::Unbind(0);
    Shader::Unbind();
    Debug::EndOfPass("combine");
}
