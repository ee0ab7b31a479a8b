#include "scene/PlayerPosition.h"

#include "core/GlobalInfo.h"

bool CurrentPlayerPosition(Vec2& position)
{
    // TODO(merge gameplay): once game/Player.h exists this becomes
    //   if (Player* player = GlobalInfo::Instance().GetPlayer()) {
    //       position = player->GetPosition();
    //       return true;
    //   }
    //   return false;
    // Until then there is no player to follow.
    (void)position;
    return false;
}
