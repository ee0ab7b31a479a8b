#include "scene/Bonuses.h"

Bonuses::~Bonuses() = default;
