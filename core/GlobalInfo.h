// The game's shared blackboard: the player, the world's three containers, the
// level size and the view position. Holds pointers only; owns nothing.
// Filled by the World constructor and the level loader; read everywhere.
#pragma once

#include "core/Vec2.h"

class Player;
class Bullets;
class Actors;
class GraphicalEffects;
class SoundManager;

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
};
