#include "effects/EffectRandom.h"

#include <cstdlib>

namespace GFX {

namespace {

std::function<int()>& Source()
{
    static std::function<int()> source;
    return source;
}

}  // namespace

int RandomDraw()
{
    if (Source()) {
        int r = Source()();
        return r < 0 ? 0 : (r > kRandomMax ? kRandomMax : r);
    }
    // RAND_MAX + 1 is a power of two of at least 2^15 on the platforms we
    // build for, so taking its high bits keeps every value equally likely
    // (and the high bits are the better ones of a linear generator).
    static_assert((static_cast<unsigned>(RAND_MAX) + 1u) % (kRandomMax + 1u) == 0);
    constexpr unsigned kBuckets = (static_cast<unsigned>(RAND_MAX) + 1u) / (kRandomMax + 1u);
    return static_cast<int>(static_cast<unsigned>(std::rand()) / kBuckets);
}

void SetRandomSource(std::function<int()> source)
{
    Source() = std::move(source);
}

}  // namespace GFX
