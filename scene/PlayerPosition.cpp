#include "scene/PlayerPosition.h"

#include "core/GlobalInfo.h"

// The Player class lives with the gameplay code, which is built alongside
// this branch; until it is present there is no player to follow.
// TODO(merge gameplay): once game/Player.h is in the tree, drop the
// conditional and keep the first branch.
#if __has_include("game/Player.h")
#include "game/Player.h"

bool CurrentPlayerPosition(Vec2& position)
{
    const Player* player = GlobalInfo::Instance().GetPlayer();
    if (!player)
        return false;
    position = player->GetPosition();
    return true;
}
#else
bool CurrentPlayerPosition(Vec2&)
{
    return false;
}
#endif
