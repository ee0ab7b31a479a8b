#include "game/Weapon.h"

namespace {
const size_t kMaxNameLength = 127;
}

Weapon::Weapon(const std::string& name_, int scriptHandle_, int level_)
    : name(name_.substr(0, kMaxNameLength)), scriptHandle(scriptHandle_), level(level_)
{
}
