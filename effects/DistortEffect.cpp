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
const PixelRect kPicture{0, 0, DistortEffect::kWidth, DistortEffect::kHeight};
// How far from a lit texel of the map the composite may change the picture,
// in pixels: the shipped shader reads the map two pixels to each side. A
// shader that reaches further is found out by the probe and always gets
// the full-screen composite.
const int kMapReach = 4;
// How far from a pixel the composite may look the picture up, in pixels
// across and up: the shipped shader displaces by at most 0.045 of the
// picture (29 and 22 pixels). Only that much of the picture around the
// rings is copied back for the composite; the probe checks this too.
const int kSourceReachX = 32;
const int kSourceReachY = 24;

// The picture the composite is tried on: noise in all four channels, which
// any filter, offset, tint or use of the alpha disturbs, or, with
// `flatBlocks`, a checkerboard of 16 x 16 blocks of that noise and opaque
// blocks of one colour each, for a shader that treats flat areas, as most of
// a real picture is, differently. The calm-frame probe tries both kinds of
// area in one picture, since every try costs a full-screen pass and a
// read-back in the first frame.
TextureImage ProbePicture(bool flatBlocks)
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
            const bool flat = flatBlocks && (x / kBlock + y / kBlock) % 2 == 1;
            for (int c = 0; c < 4; ++c)
                p[c] = !flat ? next() : c == 3 ? 255 : block[c];
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
    if (RenderInWindow(camera, scene, world, window, *target))
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

    if (distortShader && world)
        DrawMap(camera, world, *target);

    FramebufferObject::Unbind();
    ScreenDraw::SetViewport(window);
    DrawComposite(*target->GetTexture(0), *target->GetTexture(1));
    Debug::EndOfPass("distort");
}

void DistortEffect::DrawMap(Camera* camera, World* world, FramebufferObject& target)
{
    target.Bind(1);
    ScreenDraw::SetViewport(kOffscreen);
    ScreenDraw::ClearTo(0.0f, 0.0f, 0.0f, 1.0f);
    ScreenDraw::SetDepthTest(false);
    ScreenDraw::SetAdditiveBlend(true);
    camera->ApplyLookAt();
    world->DrawDistortion();
    ScreenDraw::SetAdditiveBlend(false);
    ScreenDraw::SetDepthTest(true);
}

void DistortEffect::DrawComposite(const Texture& sceneTexture, const Texture& map, const PixelRect* area) const
{
    sceneTexture.Bind(0);
    if (distortShader) {
        map.Bind(1);
        distortShader->Bind();
        distortShader->SetParameters(*distortParameters);
    }
    // Without the shader the fixed pipeline copies the scene texture as it is.
    if (area)
        ScreenDraw::PartialQuadWithoutDepth(kWidth, kHeight, *area);
    else
        DrawFullscreenQuad(kWidth, kHeight);
    Texture::Unbind(1);
    Texture::Unbind(0);
    Shader::Unbind();
}

bool DistortEffect::RenderInWindow(Camera* camera, SceneNode* scene, World* world, const Viewport& window,
                                   FramebufferObject& target)
{
    GraphicalEffects* effects = world ? world->GetGraphicalEffects() : nullptr;
    if (!distortShader || !innerEffect || !effects || !SameViewport(window, kOffscreen))
        return false;
    const bool calm = !effects->HasDistortion();
    if (calmCopy == Probe::Untried)
        calmCopy = CompositeCopiesOverAClearMap(target) ? Probe::Exact : Probe::Changes;
    if (calmCopy != Probe::Exact)
        return false;
    if (!calm && localChange == Probe::Untried)
        localChange = CompositeChangesOnlyNearTheMap() ? Probe::Exact : Probe::Changes;
    if (!calm && localChange != Probe::Exact)
        return false;
    ScreenDraw::SetViewport(window);
    if (!innerEffect->RenderToWindowInsteadOf(camera, scene, kSlot, 0))
        return false;
    if (calm) {
        // The passes left out, as empty, so a frame-time tool sees every frame.
        Debug::EndOfPass("distort map");
        Debug::EndOfPass("distort");
        return true;
    }

    DrawMap(camera, world, target);
    FramebufferObject::Unbind();
    ScreenDraw::SetViewport(window);
    // Away from the rings the composite would copy the picture unchanged, so
    // only the pixels near them are composited anew, from a copy of the
    // picture as far around them as a displaced look-up reaches.
    const PixelRect area = effects->GetDistortionBounds().Grown(kMapReach, kMapReach).Within(kPicture);
    if (!area.IsEmpty()) {
        const PixelRect source = area.Grown(kSourceReachX, kSourceReachY).Within(kPicture);
        target.GetTexture(0)->CopyFromFramebuffer(source.x0, source.y0, source.x1 - source.x0, source.y1 - source.y0);
        DrawComposite(*target.GetTexture(0), *target.GetTexture(1), &area);
    }
    Debug::EndOfPass("distort");
    return true;
}

bool DistortEffect::CompositeCopiesOverAClearMap(FramebufferObject& target) const
{
    // Tried before the first frame draws anything, so the frame's own
    // targets are free to hold the picture and the map.
    FramebufferObject scratch(1, kWidth, kHeight);
    auto copies = [&](const TextureImage& picture) {
        if (!target.GetTexture(0)->Replace(picture) || !target.Bind(1))
            return false;
        ScreenDraw::ClearTo(0.0f, 0.0f, 0.0f, 1.0f);
        // As the composite meets the window: cleared to the clear colour and
        // drawn with the start-up blending.
        if (!scratch.Bind(0))
            return false;
        DrawComposite(*target.GetTexture(0), *target.GetTexture(1));
        const std::vector<unsigned char> drawn = scratch.ReadPixels(0);
        if (drawn.size() != picture.pixels.size())
            return false;
        // The window's alpha is never shown.
        for (size_t i = 0; i < drawn.size(); ++i)
            if (i % 4 != 3 && drawn[i] != picture.pixels[i])
                return false;
        return true;
    };
    const bool same = copies(ProbePicture(true));
    FramebufferObject::Unbind();
    return same;
}

bool DistortEffect::CompositeChangesOnlyNearTheMap() const
{
    // A map lit at full strength in one square, the steepest slopes there are.
    const PixelRect lit{kWidth / 2 - 8, kHeight / 2 - 8, kWidth / 2 + 8, kHeight / 2 + 8};
    TextureImage map;
    map.width = kWidth;
    map.height = kHeight;
    map.channels = 4;
    map.pixels.assign(static_cast<size_t>(kWidth) * kHeight * 4, 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &map.pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
            p[0] = p[1] = p[2] = lit.Contains(x, y) ? 255 : 0;
            p[3] = 255;
        }
    const PixelRect near = lit.Grown(kMapReach, kMapReach);
    const PixelRect read = near.Grown(kSourceReachX, kSourceReachY);
    // Of the byte at i of an RGBA picture.
    auto inside = [](const PixelRect& r, size_t i) {
        return r.Contains(static_cast<int>(i / 4 % kWidth), static_cast<int>(i / 4 / kWidth));
    };
    // Attachment 0 takes the composite, 1 holds the picture, 2 the map.
    // Each image goes as soon as it is uploaded or compared: this runs in
    // the middle of a run, where it would otherwise set the peak memory.
    FramebufferObject scratch(3, kWidth, kHeight, FramebufferObject::kNoDepth);
    const bool mapped = scratch.GetTexture(2)->Replace(map);
    std::vector<uint8_t>().swap(map.pixels);
    // Only `near` of the second composite is compared, so only it is drawn.
    auto composite = [&](const TextureImage& source, const PixelRect* area) {
        if (!scratch.GetTexture(1)->Replace(source) || !scratch.Bind(0))
            return std::vector<unsigned char>();
        DrawComposite(*scratch.GetTexture(1), *scratch.GetTexture(2), area);
        return scratch.ReadPixels(0);
    };
    TextureImage picture = ProbePicture(false);
    const std::vector<unsigned char> drawn = mapped ? composite(picture, nullptr) : std::vector<unsigned char>();
    bool local = drawn.size() == picture.pixels.size();
    // Away from the map the picture comes through unchanged; the window's
    // alpha is never shown.
    for (size_t i = 0; local && i < drawn.size(); ++i)
        local = i % 4 == 3 || inside(near, i) || drawn[i] == picture.pixels[i];
    // Then the same picture with every texel beyond the reach of the lit
    // part changed must give the same pixels near it.
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        if (!inside(read, i))
            picture.pixels[i] = static_cast<uint8_t>(255 - picture.pixels[i]);
    const std::vector<unsigned char> drawnFarChanged = local ? composite(picture, &near) : std::vector<unsigned char>();
    local = local && drawnFarChanged.size() == drawn.size();
    for (size_t i = 0; local && i < drawn.size(); ++i)
        local = i % 4 == 3 || !inside(near, i) || drawn[i] == drawnFarChanged[i];
    FramebufferObject::Unbind();
    return local;
}
