// A camera that circles the vertical axis at its eye's distance from it,
// keeping its height, centre and up vector. Nothing in the game creates one.
#pragma once

#include "scene/Camera.h"

class RotatingCamera : public Camera {
public:
    // angularSpeed in radians per second; angle is where the circling starts.
    RotatingCamera(const Vec3& eye, const Vec3& center, const Vec3& up, float angularSpeed, float angle = 0.0f);

    void Update(float dt) override;

    float GetAngle() const { return angle; }
    float GetAngularSpeed() const { return angularSpeed; }

private:
    float angularSpeed;
    float angle;
};
