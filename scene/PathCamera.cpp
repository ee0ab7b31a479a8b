#include "scene/PathCamera.h"

int PathCamera::currentPathPoint = 0;

PathCamera::PathCamera(const Vec3& eye_, const Vec3& center_, const Vec3& up_, float speed_, const CameraPath* path_)
    : Camera(eye_, center_, up_), speed(speed_), path(path_)
{
}

void PathCamera::Update(float dt)
{
    if (!path || path->waypoints.empty())
        return;
    const int count = static_cast<int>(path->waypoints.size());
    // The shared index may have been advanced along a longer path; the
    // modulo keeps it inside this one. A negative one starts over.
    const int current = currentPathPoint < 0 ? -1 : currentPathPoint;
    const int next = static_cast<int>((static_cast<long long>(current) + 1) % count);
    Vec3 d = path->waypoints[static_cast<size_t>(next)] - eye;
    if (d.LengthSquared() > 0.1f) {
        d = d.Normalized();
        eye += d * (dt * speed * 0.001f);
        center = eye + d;
        up = Vec3(0.0f, 1.0f, 0.0f);
    } else {
        currentPathPoint = next;
    }
}
