#include "game/Actors.h"

#include <cstdio>

bool Actors::LoadEnemyTypes(const std::string&)
{
    printf("  Loading enemy types...\n");
    return true;
}

bool Actors::LoadEnemies(const std::string&)
{
    printf("  Loading enemies...\n");
    return true;
}
