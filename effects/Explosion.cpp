#include "effects/Explosion.h"

#include <algorithm>
#include <cmath>

#include "core/GlobalInfo.h"
#include "core/System.h"
#include "effects/EffectRandom.h"
#include "effects/GraphicalEffects.h"
#include "render/SpriteBatch.h"
#include "render/Texture.h"
#include "render/TextureManager.h"

namespace GFX {

namespace {

// One lookup per run and sprite, shared by every explosion: the manager's
// lookups are linear scans, and a missing sprite is reported only once.
struct SpriteCache {
    TextureManager* source = nullptr;
    bool explosionLooked = false;
    bool shockwaveLooked = false;
    Texture* explosion = nullptr;
    Texture* shockwave = nullptr;
};

SpriteCache& Sprites()
{
    static SpriteCache cache;
    return cache;
}

Texture* LookUp(const char* name)
{
    TextureManager* manager = Sprites().source;
    if (!manager)
        manager = System::Instance().GetTextureManager();
    return manager ? manager->GetTexture(name) : nullptr;
}

float RandomOffset()
{
    return static_cast<float>(RandomDraw()) / kRandomMax * (2.0f * Explosion::kChainSpread) -
           Explosion::kChainSpread;
}

int ToHalfExtent(float h)
{
    if (std::isnan(h))
        return 0;
    const float limit = static_cast<float>(Explosion::kMaxHalfExtent);
    return static_cast<int>(std::clamp(h, -limit, limit));
}

}  // namespace

Explosion::Explosion(float size_, const Vec3& position_, float delay)
    : size(size_), position(position_), time(-delay)
{
    // NaN stays NaN through min and fails the test below: no chain.
    const float next = std::min(size - kChainStep, kMaxChainSize - kChainStep);
    if (next > 0.0f) {
        Vec3 linkPosition = position;
        linkPosition.x += RandomOffset();
        linkPosition.z += RandomOffset();
        // Without a world there is nowhere to put the link; the draws above
        // are taken anyway so the sequence does not depend on it.
        if (GraphicalEffects* effects = GlobalInfo::Instance().GetEffects())
            effects->AddExplosion(next, linkPosition, kChainDelay - time);
    }
}

bool Explosion::IsVisible(float size, float time)
{
    return size > 0.0f && time > 0.0f && time < size * 10.0f;
}

int Explosion::SpriteHalfExtent(float size, float time)
{
    return ToHalfExtent(size / 2.0f + time / 6.0f);
}

int Explosion::ShockwaveHalfExtent(float size, float time)
{
    return ToHalfExtent(size + 2.0f * (time / 6.0f));
}

float Explosion::Alpha(float size, float time)
{
    return 1.0f - time / (size * 10.0f);
}

void Explosion::SetTextureSource(TextureManager* manager)
{
    Sprites() = SpriteCache();
    Sprites().source = manager;
}

bool Explosion::Update(float dt)
{
    time += dt;
    return time < size * 10.0f;
}

void Explosion::Draw(SpriteBatch& batch)
{
    if (!IsVisible(size, time))
        return;
    SpriteCache& cache = Sprites();
    if (!cache.explosionLooked) {
        cache.explosion = LookUp("explosion.png");
        cache.explosionLooked = true;
    }
    DrawSprite(batch, cache.explosion, SpriteHalfExtent(size, time));
}

void Explosion::DrawDistortion(SpriteBatch& batch)
{
    if (!IsVisible(size, time))
        return;
    SpriteCache& cache = Sprites();
    if (!cache.shockwaveLooked) {
        cache.shockwave = LookUp("shockwave.png");
        cache.shockwaveLooked = true;
    }
    DrawSprite(batch, cache.shockwave, ShockwaveHalfExtent(size, time));
}

void Explosion::DrawSprite(SpriteBatch& sprites, const Texture* texture, int h) const
{
    // A missing sprite (already reported by the manager) leaves a plain
    // fading square: the explosion still shows, and so does the omission.
    static const SpriteCorner kCorners[4] = {
        {1, 1, -1, 0, -1}, {1, 0, -1, 0, 1}, {0, 0, 1, 0, 1}, {0, 1, 1, 0, -1}};
    const float colour[4] = {1.0f, 1.0f, 1.0f, Alpha(size, time)};
    sprites.AddFlat(texture, colour, position.x, position.y, position.z, static_cast<float>(h), 0.0f, kCorners);
}

}  // namespace GFX
