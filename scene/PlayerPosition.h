// Where the player is, for the camera and the terrain, which must not depend
// on the gameplay classes. False (and the position untouched) when the
// blackboard has no player.
#pragma once

#include "core/Vec2.h"

bool CurrentPlayerPosition(Vec2& position);
