#include "scene/RotatingCamera.h"

#include <cmath>

RotatingCamera::RotatingCamera(const Vec3& eye_, const Vec3& center_, const Vec3& up_, float angularSpeed_,
                               float angle_)
    : Camera(eye_, center_, up_), angularSpeed(angularSpeed_), angle(angle_)
{
}

void RotatingCamera::Update(float dt)
{
    angle += dt * angularSpeed * 0.001f;
    const float radius = Vec3(eye.x, 0.0f, eye.z).Length();
    eye.x = std::cos(angle) * radius;
    eye.z = std::sin(angle) * radius;
}
