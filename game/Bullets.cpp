#include "game/Bullets.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "core/Debug.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "game/Assets.h"
#include "game/Collision.h"
#include "game/PlayObserver.h"
#include "game/Player.h"
#include "game/RecordReader.h"

namespace {

const float kBand = 500.0f;

bool InBand(const Bullet& bullet, float viewZ)
{
    const float z = bullet.GetPosition().y;
    return z > viewZ - kBand && z < viewZ + kBand;
}

}  // namespace

Bullets::Bullets() = default;

Bullets::~Bullets()
{
    playerBullets.clear();
    enemyBullets.clear();
}

bool Bullets::LoadBulletTypes(const std::string& path)
{
    printf("  Loading bullet types...\n");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("  Couldn't open BulletType file.\n");
        Problems::Load(2, path, 0, std::string("cannot be opened: ") + strerror(errno));
        return false;
    }
    return LoadBulletTypes(in, path);
}

bool Bullets::LoadBulletTypes(std::istream& in, const std::string& name)
{
    static const char* const kNumbers[] = {"size", "radius"};
    RecordReader reader(in);
    int loaded = 0;
    std::string wordLine;
    std::string numberLine;
    while (reader.NextRecordStart(wordLine)) {
        const int first = reader.LineNumber();
        if (!reader.NextLine(numberLine)) {
            Problems::Load(4, name, first, "the file ends inside this record; the record is dropped");
            break;
        }
        const std::string textureName = RecordReader::FirstWord(wordLine);
        Texture* texture = Assets::FindTexture(textureName);
        if (!texture)
            Problems::Load(4, name, first,
                           "texture \"" + textureName + "\" is not loaded (it must be a file in data/textures/)");
        if (const std::string why = RecordReader::CheckInts(numberLine, 2, kNumbers); !why.empty())
            Problems::Load(4, name, first + 1, why);
        int numbers[2];
        RecordReader::ReadInts(numberLine, numbers, 2);
        bulletTypes.push_back(std::make_unique<BulletType>(texture, numbers[0], numbers[1]));
        ++loaded;
    }
    printf("    Loaded %d bullet types\n", loaded);
    return true;
}

bool Bullets::Add(BulletList& list, int type, const Vec2& position, const Vec2& velocity, float strength)
{
    if (type < 0 || static_cast<size_t>(type) >= bulletTypes.size()) {
        // Printed once per type; repeats are only counted.
        Problems::Script("No bullet type " + std::to_string(type) + " (the table has " +
                         std::to_string(bulletTypes.size()) + "); the shot is ignored");
        return false;
    }
    list.push_back(std::make_unique<Bullet>(*bulletTypes[type], position, velocity, strength));
    if (observer)
        observer->ShotFired(&list == &playerBullets);
    return true;
}

bool Bullets::AddPlayerBullet(int type, const Vec2& position, const Vec2& velocity, float strength)
{
    return Add(playerBullets, type, position, velocity, strength);
}

bool Bullets::AddEnemyBullet(int type, const Vec2& position, const Vec2& velocity, float strength)
{
    return Add(enemyBullets, type, position, velocity, strength);
}

void Bullets::Draw()
{
    for (const auto& bullet : playerBullets)
        bullet->Draw(sprites);
    for (const auto& bullet : enemyBullets)
        bullet->Draw(sprites);
    sprites.Flush();
    Debug::EndOfPass("bullets");
}

void Bullets::Update(float dt)
{
    const float viewZ = GlobalInfo::Instance().GetViewPosition().y;
    Player* player = GlobalInfo::Instance().GetPlayer();

    // Nothing here runs a script, so each list is compacted in one stable
    // pass instead of erasing one element at a time.
    size_t kept = 0;
    for (size_t i = 0; i < playerBullets.size(); ++i) {
        std::unique_ptr<Bullet>& bullet = playerBullets[i];
        if (!InBand(*bullet, viewZ) || !bullet->Update(dt))
            continue;
        playerBullets[kept++] = std::move(bullet);
    }
    playerBullets.resize(kept);

    kept = 0;
    for (size_t i = 0; i < enemyBullets.size(); ++i) {
        std::unique_ptr<Bullet>& bullet = enemyBullets[i];
        if (!InBand(*bullet, viewZ) || !bullet->Update(dt))
            continue;
        if (player && player->IsFlying() &&
            Collision::Touches(player->GetPosition(), player->GetRadius(), bullet->GetPosition(),
                               bullet->GetRadius())) {
            // The bullet loses what the player has left after the hit, so
            // it survives only when it was stronger than that.
            if (observer)
                observer->EnemyShotHit();
            player->Damage(bullet->GetStrength());
            bullet->TakeDamage(player->GetHealth());
        }
        enemyBullets[kept++] = std::move(bullet);
    }
    enemyBullets.resize(kept);
}
