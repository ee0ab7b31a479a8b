#include "effects/SkyboxEffect.h"

#include "render/ScreenDraw.h"
#include "scene/Camera.h"

SkyboxEffect::SkyboxEffect(Camera* skyCamera_) : skyCamera(skyCamera_) {}

void SkyboxEffect::Render(Camera* camera, SceneNode* scene)
{
    ScreenDraw::SetDepthTest(false);
    Vec3 tilt;
    Vec3 up = camera->GetUp();
    if (skyCamera) {
        tilt = skyCamera->GetCenter() - skyCamera->GetEye();
        up = skyCamera->GetUp();
    }
    Camera view(camera->GetEye(), camera->GetCenter() + tilt, up);
    view.Render(scene);
    ScreenDraw::SetDepthTest(true);
}
