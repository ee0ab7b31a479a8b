#include "scene/PlayerPosition.h"

#include "core/GlobalInfo.h"
#include "game/Player.h"

bool CurrentPlayerPosition(Vec2& position)
{
    const Player* player = GlobalInfo::Instance().GetPlayer();
    if (!player)
        return false;
    position = player->GetPosition();
    return true;
}
