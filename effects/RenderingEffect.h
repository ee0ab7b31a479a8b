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
    // Renders as Render does, except that the picture Render would leave in
    // colour attachment `attachment` of render-target slot `slot` goes to the
    // window instead, with the viewport found on entry. False, having drawn
    // nothing, when the effect cannot do that and give the same picture; an
    // effect that does not know how never can.
    // True when Render clears colour attachment `attachment` of render-target
    // slot `slot` before it draws anything there, and the depth before
    // anything there uses it: a caller's clear of it just before would be
    // redundant.
    virtual bool ClearsBeforeDrawingInto(int /*slot*/, int /*attachment*/) const { return false; }
    virtual bool RenderToWindowInsteadOf(Camera* /*camera*/, SceneNode* /*scene*/, int /*slot*/,
                                         int /*attachment*/)
    {
        return false;
    }
};
