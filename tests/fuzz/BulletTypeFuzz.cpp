// Feeds arbitrary bytes to the bullet-type loader, then fires one bullet of
// every type loaded and moves them. (Refused type numbers are left to the
// unit tests: each refusal writes a line to stderr.)
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "game/Bullets.h"
#include "tests/fuzz/GameplayFuzzSetup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpGameplayFuzzing();
    QuietStdout quiet;
    Bullets bullets;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!bullets.LoadBulletTypes(in, "fuzz"))
        abort();
    const int count = static_cast<int>(bullets.GetBulletTypes().size());
    for (int type = 0; type < count; ++type) {
        if (!bullets.AddPlayerBullet(type, Vec2(0, 10), Vec2(1, 2), 5))
            abort();
        if (!bullets.AddEnemyBullet(type, Vec2(0, 10), Vec2(-1, 2), 5))
            abort();
    }
    bullets.Update(16);
    if (bullets.GetPlayerBullets().size() != static_cast<size_t>(count))
        abort();
    return 0;
}
