// Renders the scene with a glow: the scene into render-target slot 0
// attachment 0, its bright parts blurred horizontally into attachment 1 and
// vertically into attachment 2, then sharp and blurred combined into the
// output (a render-target slot and attachment, or the window for slot -1).
// Off-screen passes work at 640 x 480; the output to the window uses the
// window's viewport as it was on entry. Where the driver has float targets
// and all three shader files offer their PACKED_COLUMNS variant, the two
// blurs go instead into float targets of the effect's own, four columns per
// texel (see blurx.shdr): the horizontal blur at 160 x 480, the vertical one
// two rows per fragment at 160 x 240 into two textures, even rows and odd.
// The same levels for a fraction of the fragments and texel reads; slot 0's
// attachments 1 and 2 are then left alone.
//
// Leaves the output bound, the model-view matrix at the identity, texture
// units 0 and 1 with 2D texturing disabled and no program current. The
// full-screen passes into targets draw without the depth test: a target's
// depth then holds what the scene left (slot 0) or its last clear. Without a
// usable work target or shader it draws the scene unchanged into the output.
#pragma once

#include <memory>

#include "effects/RenderingEffect.h"

class FramebufferObject;
class Shader;
struct Viewport;
class ShaderParameters;

class BloomEffect : public RenderingEffect {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    BloomEffect(int targetSlot, int targetAttachment);
    ~BloomEffect() override;

    void Render(Camera* camera, SceneNode* scene) override;
    // Its output, at the start of the combine (or of the plain scene).
    bool ClearsBeforeDrawingInto(int slot, int attachment) const override
    {
        return slot != -1 && slot == targetSlot && attachment == targetAttachment;
    }
    // Only for its own output, and only when all of its passes can run.
    bool RenderToWindowInsteadOf(Camera* camera, SceneNode* scene, int slot, int attachment) override;

    static void DrawFullscreenQuad(int width, int height);
    // The define of the shader files' packed variant, and whether it is in use.
    static constexpr const char* kPackedDefine = "PACKED_COLUMNS";
    bool UsesPackedBlur() const { return packedRows != nullptr; }

private:
    // Binds the output with its viewport: 640 x 480 for a target, `window`
    // for the window or for a target the driver refuses. True for a target.
    bool BindOutput(const Viewport& window) const;
    void ReportOnce(const char* what);
    void SetUpPackedBlur();
    void Blur(FramebufferObject* work);

    Shader* blurXShader = nullptr;
    Shader* blurYShader = nullptr;
    Shader* bloomShader = nullptr;
    std::unique_ptr<ShaderParameters> blurParameters;
    std::unique_ptr<ShaderParameters> bloomParameters;
    // The packed variants (owned by the ShaderManager), their parameters
    // and targets; the targets exist only when all three shaders do.
    Shader* packedShaders[3] = {};
    std::unique_ptr<ShaderParameters> packedBloomParameters;
    std::unique_ptr<FramebufferObject> packedColumns;  // the horizontal blur
    std::unique_ptr<FramebufferObject> packedRows;     // the vertical: layers of even and odd rows
    int targetSlot = -1;
    int targetAttachment = 0;
    bool shadersUsable = false;
    bool outputToWindow = false;  // for this frame, in place of the target
    bool reported = false;
};
