// The game's shared blackboard: the player, the world's three containers, the
// level size, the view position and size, and the current run. Holds
// pointers only; owns nothing. Filled by the World constructor, the level
// loader, the player camera and the frame loop; read everywhere.
#pragma once

#include "core/Vec2.h"

class Player;
class Bullets;
class Actors;
class GraphicalEffects;
class SoundManager;
class RunState;

class GlobalInfo {
public:
    static GlobalInfo& Instance();
    virtual ~GlobalInfo() = default;

    void SetPlayer(Player* p) { player = p; }
    Player* GetPlayer() const { return player; }
    void SetBullets(Bullets* b) { bullets = b; }
    Bullets* GetBullets() const { return bullets; }
    void SetActors(Actors* a) { actors = a; }
    Actors* GetActors() const { return actors; }
    void SetEffects(GraphicalEffects* e) { effects = e; }
    GraphicalEffects* GetEffects() const { return effects; }
    // Set by the Game, which owns the sound; kept across worlds.
    void SetSounds(SoundManager* s) { sounds = s; }
    SoundManager* GetSounds() const { return sounds; }

    void SetLevelSize(int width, int length) { levelWidth = width; levelLength = length; }
    int GetLevelWidth() const { return levelWidth; }
    int GetLevelLength() const { return levelLength; }

    void SetViewPosition(const Vec2& v) { viewPosition = v; }
    Vec2 GetViewPosition() const { return viewPosition; }
    // Half the width and height of the play plane the camera shows; (0, 0)
    // until a player camera exists, and then nothing is kept in view.
    void SetViewHalfSize(const Vec2& v) { viewHalfSize = v; }
    Vec2 GetViewHalfSize() const { return viewHalfSize; }

    // The run the scripts' score and EndGame act on; null in tools and
    // tests that have none.
    void SetRun(RunState* r) { run = r; }
    RunState* GetRun() const { return run; }

    // Tests build several worlds in one process; this returns the blackboard
    // to its empty state between them. The game never calls it.
    void Reset() { *this = GlobalInfo(); }

private:
    GlobalInfo() = default;
    GlobalInfo(const GlobalInfo&) = default;
    GlobalInfo& operator=(const GlobalInfo&) = default;

    Player* player = nullptr;
    Bullets* bullets = nullptr;
    Actors* actors = nullptr;
    GraphicalEffects* effects = nullptr;
    SoundManager* sounds = nullptr;
    int levelWidth = 0;
    int levelLength = 0;
    Vec2 viewPosition;
    Vec2 viewHalfSize;
    RunState* run = nullptr;
};
