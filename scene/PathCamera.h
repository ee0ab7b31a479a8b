// A camera that flies from waypoint to waypoint at a constant speed, looking
// one unit ahead along its flight, and loops back to the first waypoint.
// Every PathCamera shares one waypoint index, as the original camera rig did;
// it counts along whichever path is being flown. Nothing in the game creates one.
#pragma once

#include <vector>

#include "scene/Camera.h"

struct CameraPath {
    std::vector<Vec3> waypoints;
};

class PathCamera : public Camera {
public:
    // speed in world units per second; the path is not owned and may be null
    // or empty, which keeps the camera where it is.
    PathCamera(const Vec3& eye, const Vec3& center, const Vec3& up, float speed, const CameraPath* path);

    void Update(float dt) override;

    static int GetCurrentPathPoint() { return currentPathPoint; }
    static void SetCurrentPathPoint(int index) { currentPathPoint = index; }

private:
    float speed;
    const CameraPath* path;
    static int currentPathPoint;
};
