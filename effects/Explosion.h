// A flat explosion sprite lying in the horizontal plane at its centre: it
// grows from size/2 and fades from opaque to clear over size x 10 ms, after
// an optional delay. Its larger shockwave sprite goes only into the
// distortion map. Constructing one of size above 20 chains a smaller, later
// explosion at a random offset through the GraphicalEffects held by
// GlobalInfo, so the chain's links stand in the container before the
// explosion that caused them.
//
// Draw and DrawDistortion queue the sprite in the container's batch, with
// the fading alpha in its colour (see SpriteBatch for the GL state a flush
// leaves); blending and depth state are the caller's.
#pragma once

#include "core/Vec3.h"
#include "effects/GraphicalEffect.h"

class Texture;
class TextureManager;

namespace GFX {

class Explosion : public GraphicalEffect {
public:
    // Each link of a chain is this much smaller than the one before it,
    static constexpr float kChainStep = 20.0f;
    // starts this many milliseconds later,
    static constexpr float kChainDelay = 50.0f;
    // and lies up to this far from it in x and in z.
    static constexpr float kChainSpread = 60.0f;
    // Links are made recursively and all at once, so an absurd size (a
    // script typo, or infinity) would stall the frame or overflow the stack.
    // The link below an explosion is therefore never larger than this size
    // minus kChainStep: chains of explosions up to this size are exactly
    // S, S-20, S-40, ...; a larger one is followed by the chain of this size,
    // at most kMaxChainSize / kChainStep = 50 links.
    static constexpr float kMaxChainSize = 1000.0f;
    // Half-extents are clamped to this before they become integers: far
    // beyond the view, and no overflow in the conversion.
    static constexpr int kMaxHalfExtent = 1 << 20;

    Explosion(float size, const Vec3& position, float delay);
    ~Explosion() override = default;

    void Draw(SpriteBatch& sprites) override;
    void DrawDistortion(SpriteBatch& sprites) override;
    bool HasDistortion() const override { return IsVisible(size, time); }
    bool Update(float dt) override;
    float GetHeight() const override { return position.y; }

    float GetSize() const { return size; }
    const Vec3& GetPosition() const { return position; }
    // Milliseconds since the explosion became active; minus the delay at first.
    float GetTime() const { return time; }

    // The sprite geometry at a moment of an explosion's life, free of GL.
    // Drawn only while 0 < time < size x 10 (never for a size of 0 or less).
    static bool IsVisible(float size, float time);
    // size/2 + time/6, truncated toward zero.
    static int SpriteHalfExtent(float size, float time);
    // size + 2 x (time/6), truncated toward zero.
    static int ShockwaveHalfExtent(float size, float time);
    // 1 - time / (size x 10): opaque at the start, clear at the end.
    static float Alpha(float size, float time);

    // Where the two sprites are looked up, once, on first use: null (the
    // default) means the System's texture manager. Forgets the sprites found
    // so far. Tests and the benchmark use it to draw with textures of their own.
    static void SetTextureSource(TextureManager* manager);

private:
    void DrawSprite(SpriteBatch& sprites, const Texture* texture, int halfExtent) const;

    float size = 0.0f;
    Vec3 position;
    float time = 0.0f;
};

}  // namespace GFX
