// Root of the scene tree. Its children, in drawing and updating order:
// Actors, Bullets, Bonuses, GraphicalEffects, Board. The four pointers below
// are shortcuts into that list; the world owns its nodes only through it.
// Construction registers the three containers in GlobalInfo (bullets, actors,
// effects, in that order) and destruction takes them, and the player, out
// again before any node goes, so a world can be built again; LoadLevel fills
// them and the board from the level file. Draw draws the board's ground pass
// before the children: the terrain, then the backdrop twice.
#pragma once

#include <string>

#include "scene/SceneNode.h"

class Actors;
class Board;
class Bullets;
class GraphicalEffects;
class PlayObserver;

class World : public SceneNode {
public:
    World();
    ~World() override;

    // Prints "Loading level..." and loads the four files the level names.
    // False on the first failure; what loaded before it stays loaded.
    bool LoadLevel(const std::string& path);

    void Draw() override;
    // Tells the containers whom to tell what happens in play; null for none.
    void SetObserver(PlayObserver* observer);

    // The explosions' shockwave map, for the distortion pass; no translation.
    void DrawDistortion();

    Board* GetBoard() const { return board; }
    Actors* GetActors() const { return actors; }
    Bullets* GetBullets() const { return bullets; }
    GraphicalEffects* GetGraphicalEffects() const { return graphicalEffects; }

private:
    Board* board = nullptr;
    Actors* actors = nullptr;
    Bullets* bullets = nullptr;
    GraphicalEffects* graphicalEffects = nullptr;
};
