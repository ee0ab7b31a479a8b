#include "effects/DistortEffect.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/Debug.h"
#include "core/System.h"
#include "effects/EffectShaders.h"
#include "effects/GraphicalEffects.h"
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

// The pictures the composite is tried on: noise in all four channels, which
// any filter, offset, tint or use of the alpha disturbs, and opaque blocks of
// one colour each, for a shader that treats flat areas, as most of a real
// picture is, differently.
TextureImage ProbePicture(bool blocks)
{
    TextureImage image;
    image.width = DistortEffect::kWidth;
    image.height = DistortEffect::kHeight;
    image.channels = 4;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
    uint32_t noise = 12345u;
    auto next = [&] {
        noise = noise * 1664525u + 1013904223u;
        return static_cast<uint8_t>(noise >> 24);
    };
    const int kBlock = 16, columns = image.width / kBlock;
    std::vector<uint8_t> blockColours(static_cast<size_t>(columns) * (image.height / kBlock) * 4);
    for (uint8_t& v : blockColours)
        v = next();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
            const uint8_t* block = &blockColours[(static_cast<size_t>(y / kBlock) * columns + x / kBlock) * 4];
            for (int c = 0; c < 4; ++c)
                p[c] = !blocks ? next() : c == 3 ? 255 : block[c];
        }
    return image;
}

bool SameViewport(const Viewport& a, const Viewport& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

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
        ScreenDraw::Clear();
        camera->Render(scene);
        return;
    }

    World* world = dynamic_cast<World*>(scene);
    if (RenderCalm(camera, scene, world, window, *target))
        return;

    target->Bind(0);  // the calm frame's checks may have bound another
    ScreenDraw::SetViewport(kOffscreen);
    // Clearing the scene texture now, when the inner effect clears it again
    // before it draws there, cost a full write of colour and depth.
    if (!innerEffect || !innerEffect->ClearsBeforeDrawingInto(kSlot, 0))
        ScreenDraw::Clear();
    if (innerEffect)
        camera->RenderFrame(scene, innerEffect);
    else
        camera->Render(scene);

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
    DrawComposite(*target);
    Debug::EndOfPass("distort");
}

void DistortEffect::DrawComposite(FramebufferObject& target) const
{
    target.GetTexture(0)->Bind(0);
    if (distortShader) {
        target.GetTexture(1)->Bind(1);
        distortShader->Bind();
        distortShader->SetParameters(*distortParameters);
    }
    // Without the shader the fixed pipeline copies the scene texture as it is.
    DrawFullscreenQuad(kWidth, kHeight);
    Texture::Unbind(1);
    Texture::Unbind(0);
    Shader::Unbind();
}

bool DistortEffect::RenderCalm(Camera* camera, SceneNode* scene, World* world, const Viewport& window,
                               FramebufferObject& target)
{
    if (!distortShader || !innerEffect || !world || !world->GetGraphicalEffects() ||
        world->GetGraphicalEffects()->HasDistortion() || !SameViewport(window, kOffscreen))
        return false;
    if (calmCopy == CalmCopy::Untried)
        calmCopy = CompositeCopiesOverAClearMap(target) ? CalmCopy::Exact : CalmCopy::Changes;
    if (calmCopy != CalmCopy::Exact)
        return false;
    ScreenDraw::SetViewport(window);
    if (!innerEffect->RenderToWindowInsteadOf(camera, scene, kSlot, 0))
        return false;
    // The passes left out, as empty, so a frame-time tool sees every frame.
    Debug::EndOfPass("distort map");
    Debug::EndOfPass("distort");
    return true;
}

bool DistortEffect::CompositeCopiesOverAClearMap(FramebufferObject& target) const
{
    FramebufferObject scratch(1, kWidth, kHeight);
    auto copies = [&](const TextureImage& picture) {
        if (!target.GetTexture(0)->Replace(picture) || !target.Bind(1))
            return false;
        ScreenDraw::ClearTo(0.0f, 0.0f, 0.0f, 1.0f);
        // As the composite meets the window: cleared to the clear colour and
        // drawn with the start-up blending.
        if (!scratch.Bind(0))
            return false;
        DrawComposite(target);
        const std::vector<unsigned char> drawn = scratch.ReadPixels(0);
        if (drawn.size() != picture.pixels.size())
            return false;
        // The window's alpha is never shown.
        for (size_t i = 0; i < drawn.size(); ++i)
            if (i % 4 != 3 && drawn[i] != picture.pixels[i])
                return false;
        return true;
    };
    const bool same = copies(ProbePicture(false)) && copies(ProbePicture(true));
    FramebufferObject::Unbind();
    return same;
}
