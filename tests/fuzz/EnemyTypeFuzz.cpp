// Feeds arbitrary bytes to the enemy-type loader. Every type it accepts has
// a name of at most 127 characters without blanks or NULs, a model, and is
// found by its name (or an earlier type of the same name is).
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
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!actors.LoadEnemyTypes(in, "fuzz"))
        abort();
    for (const auto& type : actors.GetEnemyTypes()) {
        const std::string& name = type->GetName();
        if (name.size() > 127 || name.find_first_of(std::string(" \t\r\n\v\f\0", 7)) != std::string::npos)
            abort();
        if (!type->GetModel())
            abort();
        EnemyType* found = actors.FindEnemyType(name);
        if (!found || found->GetName() != name)
            abort();
        actors.SpawnEnemy(name, Vec2(0, 100), 1, 0, 0);
    }
    // The spawned enemies run once: radii of any size, health of any sign.
    GlobalInfo::Instance().SetViewPosition(Vec2(0, 0));
    actors.Update(16);
    GlobalInfo::Instance().Reset();
    return 0;
}
