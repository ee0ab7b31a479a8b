// A look-at frame (eye, centre, up) that renders a scene tree through
// gluLookAt. Render and ApplyLookAt multiply onto the current model-view
// matrix and touch neither the projection nor the buffers; Update is called
// once per frame after the world update.
#pragma once

#include "core/Vec3.h"

class RenderingEffect;
class SceneNode;

class Camera {
public:
    Camera(const Vec3& eye, const Vec3& center, const Vec3& up);
    virtual ~Camera() = default;

    // dt in milliseconds. The plain camera stays where it is.
    virtual void Update(float dt);
    virtual void Set(const Vec3& eye, const Vec3& center, const Vec3& up);
    virtual void SetEye(const Vec3& e);
    virtual void SetCenter(const Vec3& c);
    virtual void SetUp(const Vec3& u);

    const Vec3& GetEye() const { return eye; }
    const Vec3& GetCenter() const { return center; }
    const Vec3& GetUp() const { return up; }

    // Push, look-at, the node's tree, pop. A null node draws nothing.
    void Render(SceneNode* scene);
    // Only the look-at, multiplied onto the current model-view matrix.
    void ApplyLookAt() const;
    // Through the effect when there is one, else Render.
    void RenderFrame(SceneNode* scene, RenderingEffect* effect);

protected:
    Vec3 eye;
    Vec3 center;
    Vec3 up;
};
