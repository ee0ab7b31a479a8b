// The vantrel executable: runs the game until its window is closed.
#include "core/Game.h"

int main()
{
    Game game;
    return game.Run();
}
