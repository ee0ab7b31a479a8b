// Draws a scene as a backdrop into whatever target is bound: from the current
// camera's eye, looking along the sum of that camera's direction and the sky
// camera's, with the sky camera's up vector, and without depth testing, so
// anything drawn afterwards covers it. Clears nothing; leaves the depth test
// enabled. Nothing in the game creates one.
#pragma once

#include "effects/RenderingEffect.h"

class SkyboxEffect : public RenderingEffect {
public:
    // The sky camera is not owned and must outlive the effect. A null one
    // adds no tilt and keeps the current camera's up vector.
    explicit SkyboxEffect(Camera* skyCamera);

    void Render(Camera* camera, SceneNode* scene) override;

private:
    Camera* skyCamera = nullptr;
};
