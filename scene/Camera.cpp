#include "scene/Camera.h"

#include "effects/RenderingEffect.h"
#include "render/GL.h"
#include "scene/SceneNode.h"

Camera::Camera(const Vec3& eye_, const Vec3& center_, const Vec3& up_) : eye(eye_), center(center_), up(up_) {}

void Camera::Update(float) {}

void Camera::Set(const Vec3& e, const Vec3& c, const Vec3& u)
{
    eye = e;
    center = c;
    up = u;
}

void Camera::SetEye(const Vec3& e)
{
    eye = e;
}

void Camera::SetCenter(const Vec3& c)
{
    center = c;
}

void Camera::SetUp(const Vec3& u)
{
    up = u;
}

void Camera::ApplyLookAt() const
{
    gluLookAt(eye.x, eye.y, eye.z, center.x, center.y, center.z, up.x, up.y, up.z);
}

void Camera::Render(SceneNode* scene)
{
    if (!scene)
        return;
    glPushMatrix();
    ApplyLookAt();
    scene->RenderTree();
    glPopMatrix();
}

void Camera::RenderFrame(SceneNode* scene, RenderingEffect* effect)
{
    if (effect)
        effect->Render(this, scene);
    else
        Render(scene);
}
