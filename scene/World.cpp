#include "scene/World.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/Debug.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "core/ReadFile.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "scene/Board.h"
#include "scene/Bonuses.h"
#include "scene/LevelFile.h"

World::World()
{
    board = new Board();
    actors = new Actors();
    bullets = new Bullets();
    graphicalEffects = new GraphicalEffects();
    AddChild(actors);
    AddChild(bullets);
    AddChild(new Bonuses());
    AddChild(graphicalEffects);
    AddChild(board);
    GlobalInfo& info = GlobalInfo::Instance();
    info.SetBullets(bullets);
    info.SetActors(actors);
    info.SetEffects(graphicalEffects);
}

World::~World()
{
    // Scripts may still run after the world is gone (a restart, a test); they
    // must find no container rather than a deleted one.
    GlobalInfo& info = GlobalInfo::Instance();
    if (info.GetBullets() == bullets)
        info.SetBullets(nullptr);
    if (info.GetActors() == actors)
        info.SetActors(nullptr);
    if (info.GetEffects() == graphicalEffects)
        info.SetEffects(nullptr);
    if (info.GetPlayer() == actors->GetPlayer())
        info.SetPlayer(nullptr);
}

void World::SetObserver(PlayObserver* observer)
{
    actors->SetObserver(observer);
    bullets->SetObserver(observer);
}

bool World::LoadLevel(const std::string& path)
{
    printf("Loading level...\n");
    std::string text;
    if (!ReadWholeFile(path, text)) {
        printf("Couldn't open level file.\n");
        Problems::Load(2, path, 0, std::string("cannot be opened: ") + strerror(errno));
        return false;
    }
    // An empty file is a level with nothing in it.
    if (text.empty())
        return true;

    LevelFile level;
    std::string error;
    if (!LevelFile::Parse(text, path, level, error)) {
        Problems::Load(2, "Bad " + error);
        return false;
    }
    if (!level.warning.empty())
        Problems::Load(2, "Bad " + level.warning);
    GlobalInfo::Instance().SetLevelSize(level.width, level.length);
    if (!actors->LoadEnemyTypes(level.enemyTypesPath))
        return false;
    if (!actors->LoadEnemies(level.enemiesPath))
        return false;
    if (!bullets->LoadBulletTypes(level.bulletTypesPath))
        return false;
    if (!board->LoadHeightmap(level.heightmapPath))
        return false;
    return true;
}

void World::Draw()
{
    board->DrawGround();
    Debug::EndOfPass("ground");
}

void World::DrawDistortion()
{
    graphicalEffects->DrawDistortion();
}
