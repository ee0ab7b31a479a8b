// Feeds arbitrary bytes to the enemy timeline loader, over two known types,
// then lets the placed enemies run a few frames.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "game/Actors.h"
#include "tests/fuzz/GameplayFuzzSetup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUpGameplayFuzzing();
    QuietStdout quiet;
    Actors actors;
    std::istringstream types("drone\nd.obj\nd.png\nd.lua\n50\n9\ntank\nt.obj\nt.png\nt.lua\n-7\n2147483647\n");
    actors.LoadEnemyTypes(types, "types");
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!actors.LoadEnemies(in, "fuzz"))
        abort();
    for (const auto& enemy : actors.GetEnemies()) {
        if (enemy->GetType() != actors.FindEnemyType(enemy->GetType()->GetName()))
            abort();
        if (enemy->GetState3() != 0)
            abort();
    }
    const size_t placed = actors.GetEnemies().size();
    for (int frame = 0; frame < 3; ++frame) {
        GlobalInfo::Instance().SetViewPosition(Vec2(0, static_cast<float>(frame * 1000)));
        actors.Update(16);
    }
    if (actors.GetEnemies().size() > placed)
        abort();  // nothing here spawns
    GlobalInfo::Instance().Reset();
    return 0;
}
