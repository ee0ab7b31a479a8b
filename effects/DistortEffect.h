// The outermost effect of a frame: the scene, through the inner effect, into
// render-target slot 1 attachment 0; every explosion's shockwave sprite added
// into attachment 1 (cleared to black, no depth test); then one full-screen
// pass to the window that looks the scene up displaced by that map. The scene
// must be the World, whose DrawDistortion draws the map.
//
// Off-screen passes work at 640 x 480; the composite fills the window's
// viewport as it was on entry. Leaves the window bound, the clear colour,
// depth test and blending as at start-up, texture units 0 and 1 with 2D
// texturing disabled and no program current. Without slot 1 on this driver
// it draws the scene straight into the window; without its shader it copies
// the scene to the window undistorted.
#pragma once

#include <memory>

#include "effects/RenderingEffect.h"

class Shader;
class ShaderParameters;

class DistortEffect : public RenderingEffect {
public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;

    // The inner effect is not owned and may be null (the scene is then drawn
    // plainly into the scene texture).
    explicit DistortEffect(RenderingEffect* innerEffect);
    ~DistortEffect() override;

    void Render(Camera* camera, SceneNode* scene) override;

    static void DrawFullscreenQuad(int width, int height);

private:
    Shader* distortShader = nullptr;
    std::unique_ptr<ShaderParameters> distortParameters;
    RenderingEffect* innerEffect = nullptr;
    bool reported = false;
};
