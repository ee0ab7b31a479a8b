// A way of rendering the whole scene for one frame: given the camera and the
// scene root it draws the scene, possibly in several passes through off-screen
// targets, and leaves the result where the effect says. Camera::RenderFrame
// hands each frame to an effect when there is one.
#pragma once

class Camera;
class SceneNode;

class RenderingEffect {
public:
    virtual ~RenderingEffect() = default;
    virtual void Render(Camera* camera, SceneNode* scene) = 0;
};
