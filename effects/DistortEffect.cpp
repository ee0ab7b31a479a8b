#include "effects/DistortEffect.h"

#include <cstdio>

#include "core/Debug.h"
#include "core/System.h"
#include "effects/EffectShaders.h"
#include "render/FramebufferObject.h"
#include "render/ScreenDraw.h"
#include "render/Shader.h"
#include "render/ShaderParameters.h"
#include "render/Texture.h"
#include "render/TextureManager.h"
#include "scene/Camera.h"
#include "scene/World.h"

namespace {

const int kSlot = 1;
const Viewport kOffscreen{0, 0, DistortEffect::kWidth, DistortEffect::kHeight};

}  // namespace

DistortEffect::DistortEffect(RenderingEffect* innerEffect_) : innerEffect(innerEffect_)
{
    distortShader = FindEffectShader("distort.shdr");
    distortParameters = std::make_unique<ShaderParameters>();
    distortParameters->SetInt("source_tex", 0);
    distortParameters->SetInt("distort_tex", 1);
}

DistortEffect::~DistortEffect() = default;

void DistortEffect::DrawFullscreenQuad(int width, int height)
{
    ScreenDraw::FullscreenQuad(width, height);
}

void DistortEffect::Render(Camera* camera, SceneNode* scene)
{
    const Viewport window = ScreenDraw::GetViewport();
    FramebufferObject* target = System::Instance().GetTextureManager()->GetRenderTarget(kSlot);
    if (!target || target->GetCount() < 2 || !target->Bind(1) || !target->Bind(0)) {
        // As without framebuffer objects: the world straight into the window.
        if (!reported) {
            reported = true;
            printf("Render target %d cannot be drawn to on this driver; no bloom or shockwave effect\n", kSlot);
        }
        FramebufferObject::Unbind();
        ScreenDraw::SetViewport(window);
        camera->Render(scene);
        return;
    }

    ScreenDraw::SetViewport(kOffscreen);
    ScreenDraw::Clear();
    if (innerEffect)
        camera->RenderFrame(scene, innerEffect);
    else
        camera->Render(scene);

    World* world = dynamic_cast<World*>(scene);
    if (distortShader && world) {
        target->Bind(1);
        ScreenDraw::SetViewport(kOffscreen);
        ScreenDraw::ClearTo(0.0f, 0.0f, 0.0f, 1.0f);
        ScreenDraw::SetDepthTest(false);
        ScreenDraw::SetAdditiveBlend(true);
        camera->ApplyLookAt();
        world->DrawDistortion();
        ScreenDraw::SetAdditiveBlend(false);
        ScreenDraw::SetDepthTest(true);
    }

    FramebufferObject::Unbind();
    ScreenDraw::SetViewport(window);
    target->GetTexture(0)->Bind(0);
    if (distortShader) {
        target->GetTexture(1)->Bind(1);
        distortShader->Bind();
        distortShader->SetParameters(*distortParameters);
    }
    // Without the shader the fixed pipeline copies the scene texture as it is.
    DrawFullscreenQuad(kWidth, kHeight);

    Texture::Unbind(1);
    Texture::Unbind(0);
    Shader::Unbind();
    Debug::EndOfPass("distort");
}
