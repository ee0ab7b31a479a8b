#include "game/Bullets.h"

#include <cstdio>

bool Bullets::LoadBulletTypes(const std::string&)
{
    printf("  Loading bullet types...\n");
    return true;
}
