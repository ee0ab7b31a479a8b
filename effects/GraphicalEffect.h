// Base of the short-lived effects that GraphicalEffects holds and owns. The
// container draws an effect in the scene pass only while GetHeight() is 0 or
// more, asks it for its part of the distortion map in the distortion pass, and
// destroys it once Update returns false. Effects never append to the container
// from these operations; only their construction may.
#pragma once

class SpriteBatch;

namespace GFX {

class GraphicalEffect {
public:
    GraphicalEffect() = default;
    GraphicalEffect(const GraphicalEffect&) = delete;
    GraphicalEffect& operator=(const GraphicalEffect&) = delete;
    virtual ~GraphicalEffect() = default;

    // The normal scene pass, in the current model-view matrix. Sprites go
    // into the container's batch; an effect that draws anything else flushes
    // the batch first, so the drawing order stays that of the container.
    virtual void Draw(SpriteBatch& sprites) = 0;
    // The effect's contribution to the distortion map; most effects have none.
    virtual void DrawDistortion(SpriteBatch& /*sprites*/) {}
    // Whether DrawDistortion would draw anything now. A frame in which no
    // effect would may leave the distortion map out; so an effect that
    // draws into the map must say so here.
    virtual bool HasDistortion() const { return false; }
    // Advances by dt milliseconds; false means finished, to be destroyed.
    virtual bool Update(float dt) = 0;
    // The effect's current y coordinate.
    virtual float GetHeight() const = 0;
};

}  // namespace GFX
