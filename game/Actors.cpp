#include "game/Actors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "core/Debug.h"
#include "core/GlobalInfo.h"
#include "core/Problems.h"
#include "game/Assets.h"
#include "game/Bullet.h"
#include "game/Bullets.h"
#include "game/Collision.h"
#include "game/PlayObserver.h"
#include "game/RecordReader.h"
#include "render/Model.h"
#include "render/ModelBatch.h"
#include "script/ScriptManager.h"

namespace {

const float kActiveBehind = 2000.0f;
const float kActiveAhead = 500.0f;
const float kDrawnBehind = 500.0f;
const float kDrawnAhead = 500.0f;

// Below this many player bullets the plain loop is as quick as the grid.
const size_t kGridMinimumBullets = 64;
// Bullets appended during a pass are tested one by one; past this many the
// grid is rebuilt (bullets do not move during the pass, so that is safe).
const size_t kGridMaximumTail = 256;

// Reads `count` more lines of a record; false when the file ends first.
bool ReadRecordLines(RecordReader& reader, std::string* lines, int count)
{
    for (int i = 0; i < count; ++i)
        if (!reader.NextLine(lines[i]))
            return false;
    return true;
}

void ReportIncomplete(const std::string& name, int line)
{
    Problems::Load(4, name, line, "the file ends inside this record; the record is dropped");
}

void ReportUnopenable(const std::string& path)
{
    Problems::Load(2, path, 0, std::string("cannot be opened: ") + strerror(errno));
}

std::string Quote(const std::string& text)
{
    return "\"" + text + "\"";
}

}  // namespace

Actors::Actors()
{
    player = std::make_unique<Player>();
    GlobalInfo::Instance().SetPlayer(player.get());
}

Actors::~Actors()
{
    // Nothing may reach the player through the blackboard once it is gone.
    if (GlobalInfo::Instance().GetPlayer() == player.get())
        GlobalInfo::Instance().SetPlayer(nullptr);
    player.reset();
    enemies.clear();
    enemyTypes.clear();
}

bool Actors::LoadEnemyTypes(const std::string& path)
{
    printf("  Loading enemy types...\n");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("  Couldn't open EnemyType file.\n");
        ReportUnopenable(path);
        return false;
    }
    return LoadEnemyTypes(in, path);
}

bool Actors::LoadEnemyTypes(std::istream& in, const std::string& name)
{
    RecordReader reader(in);
    std::string nameLine;
    std::string lines[5];  // model, texture, script, size, health
    while (reader.NextRecordStart(nameLine)) {
        const int first = reader.LineNumber();
        // The whole record is read before anything is built, so a record cut
        // short by the end of the file loads no model and no script.
        if (!ReadRecordLines(reader, lines, 5)) {
            ReportIncomplete(name, first);
            break;
        }
        // Every problem of the record is printed before its "Loaded" line,
        // so the two read together.
        auto problem = [&](int offset, const std::string& what) { Problems::Load(4, name, first + offset, what); };
        const std::string typeName = RecordReader::FirstWord(nameLine);

        const std::string modelPath = RecordReader::FirstWord(lines[0]);
        Model::ObjResult loaded = Model::ObjResult::Loaded;
        std::unique_ptr<Model> model = Assets::LoadModel(modelPath, &loaded);
        if (loaded == Model::ObjResult::Unreadable)
            problem(1, "model " + modelPath + " cannot be opened; enemies of type " + typeName + " are invisible");
        else if (loaded == Model::ObjResult::Refused)
            problem(1, "model " + modelPath + " was refused (see above); enemies of type " + typeName +
                           " are invisible");
        model->SetShader(Assets::GetShader("enemy.shdr"));

        const std::string textureName = RecordReader::FirstWord(lines[1]);
        Texture* texture = Assets::FindTexture(textureName);
        if (!texture)
            problem(2, "texture " + Quote(textureName) + " is not loaded (it must be a file in data/textures/)");
        model->SetTexture(texture, 0);

        const std::string scriptPath = RecordReader::FirstWord(lines[2]);
        const int handle = ScriptManager::Instance().EnemyLoadScript(scriptPath);
        if (handle == 0)
            problem(3, "script " + scriptPath + " failed to load (EnemyLoadScript returned the handle 0)");

        int size = 0;
        int health = 0;
        RecordReader::ReadInts(lines[3], &size, 1);
        RecordReader::ReadInts(lines[4], &health, 1);
        static const char* const kSize[] = {"size"};
        static const char* const kHealth[] = {"health"};
        if (const std::string why = RecordReader::CheckInts(lines[3], 1, kSize); !why.empty())
            problem(4, why);
        if (const std::string why = RecordReader::CheckInts(lines[4], 1, kHealth); !why.empty())
            problem(5, why);
        enemyTypes.push_back(std::make_unique<EnemyType>(typeName, std::move(model), handle, size, health));
        printf("    Loaded %s\n", typeName.c_str());
    }
    return true;
}

bool Actors::LoadEnemies(const std::string& path)
{
    printf("  Loading enemies...\n");
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        printf("  Couldn't open Enemy file.\n");
        ReportUnopenable(path);
        return false;
    }
    return LoadEnemies(in, path);
}

bool Actors::LoadEnemies(std::istream& in, const std::string& name)
{
    static const char* const kPosition[] = {"x", "y"};
    static const char* const kParameters[] = {"s1", "s2", "delay"};
    RecordReader reader(in);
    int loaded = 0;
    std::string nameLine;
    std::string lines[2];  // position, parameters
    // After a name that matches no type, the record's number lines are read
    // as names too; they are part of the one mistake already reported.
    bool skippingRecord = false;
    while (reader.NextRecordStart(nameLine)) {
        const int first = reader.LineNumber();
        // A line naming no type is skipped alone; the next line is then read
        // as a candidate name (a line of numbers names no type).
        const std::string typeName = RecordReader::FirstWord(nameLine);
        EnemyType* type = FindEnemyType(typeName);
        if (!type) {
            int number = 0;
            const bool numbers = RecordReader::ReadInts(typeName, &number, 1) == 1;
            if (!(skippingRecord && numbers))
                Problems::Load(4, name, first,
                               "no enemy type is named " + Quote(typeName) + "; the line is skipped");
            skippingRecord = true;
            continue;
        }
        skippingRecord = false;
        if (!ReadRecordLines(reader, lines, 2)) {
            ReportIncomplete(name, first);
            break;
        }
        if (const std::string why = RecordReader::CheckInts(lines[0], 2, kPosition); !why.empty())
            Problems::Load(4, name, first + 1, why);
        if (const std::string why = RecordReader::CheckInts(lines[1], 3, kParameters); !why.empty())
            Problems::Load(4, name, first + 2, why);
        int position[2];
        int parameters[3];
        RecordReader::ReadInts(lines[0], position, 2);
        RecordReader::ReadInts(lines[1], parameters, 3);
        enemies.push_back(std::make_unique<Enemy>(
            type, Vec2(static_cast<float>(position[0]), static_cast<float>(position[1])),
            static_cast<float>(parameters[0]), static_cast<float>(parameters[1]),
            static_cast<float>(parameters[2])));
        ++loaded;
    }
    printf("    Loaded %d enemies\n", loaded);
    return true;
}

EnemyType* Actors::FindEnemyType(const std::string& name) const
{
    for (const auto& type : enemyTypes)
        if (type->GetName() == name)
            return type.get();
    return nullptr;
}

bool Actors::SpawnEnemy(const std::string& typeName, const Vec2& position, float state1, float state2, float delay)
{
    EnemyType* type = FindEnemyType(typeName);
    if (!type)
        return false;
    enemies.push_back(std::make_unique<Enemy>(type, position, state1, state2, delay));
    return true;
}

void Actors::HitByBullet(Enemy& enemy, Bullet& bullet)
{
    if (!Collision::Touches(bullet.GetPosition(), bullet.GetRadius(), enemy.GetPosition(), enemy.GetRadius()))
        return;
    if (observer)
        observer->PlayerShotHit(enemy);
    enemy.Damage(bullet.GetStrength());
    // The bullet spends what the enemy has left; an enemy below zero takes nothing more.
    bullet.TakeDamage(enemy.GetHealth());
}

void Actors::HitByBullets(Enemy& enemy, Bullets& bullets)
{
    // By position throughout: the enemy's script may append player bullets,
    // and those are tested in this same pass, after the ones before them.
    const Bullets::BulletList& list = bullets.GetPlayerBullets();
    size_t tailStart = 0;
    if (broadPhase && list.size() >= kGridMinimumBullets) {
        if (!gridBuilt || list.size() - grid.GetIndexedCount() > kGridMaximumTail) {
            grid.Build(list);
            gridBuilt = true;
        }
        candidates.clear();
        grid.Query(enemy.GetPosition(), enemy.GetRadius(), candidates);
        for (size_t i = 0; i < candidates.size(); ++i)
            HitByBullet(enemy, *list[candidates[i]]);
        tailStart = grid.GetIndexedCount();
    }
    for (size_t i = tailStart; i < list.size(); ++i)
        HitByBullet(enemy, *list[i]);
}

bool Actors::IsActive(float y, const Vec2& view)
{
    return y > view.y - kActiveBehind && y < view.y + kActiveAhead;
}

bool Actors::IsDrawn(float y, const Vec2& view)
{
    return y > view.y - kDrawnBehind && y < view.y + kDrawnAhead;
}

bool Actors::IsPassed(float y, const Vec2& view)
{
    return y < view.y - kActiveBehind;
}

void Actors::Update(float dt)
{
    player->Update(dt);

    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    Bullets* bullets = GlobalInfo::Instance().GetBullets();
    gridBuilt = false;  // bullets moved since the last pass

    size_t i = 0;
    while (i < enemies.size()) {
        Enemy* enemy = enemies[i].get();  // stays valid: appends move the pointer, not the enemy
        const float y = enemy->GetPosition().y;
        if (IsActive(y, view)) {
            if (bullets)
                HitByBullets(*enemy, *bullets);
            if (!enemy->Update(dt)) {
                Remove(i, true);
                continue;
            }
            if (player->IsFlying() && Collision::Touches(enemy->GetPosition(), enemy->GetRadius(),
                                                         player->GetPosition(), player->GetRadius())) {
                player->Damage(dt);
                enemy->Damage(dt);
            }
        } else if (IsPassed(y, view)) {
            Remove(i, false);
            continue;
        }
        ++i;
    }
}

void Actors::Remove(size_t index, bool killed)
{
    if (observer)
        observer->EnemyRemoved(*enemies[index], killed);
    enemies.erase(enemies.begin() + static_cast<std::ptrdiff_t>(index));
}

void Actors::Draw()
{
    player->Draw();
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    // Enemies of a type share a model; the batch binds it once for a run of them.
    ModelBatch batch;
    for (const auto& enemy : enemies) {
        const Vec2 p = enemy->GetPosition();
        if (IsDrawn(p.y, view) && enemy->GetModel())
            batch.Draw(*enemy->GetModel(), Vec3(p.x, 0.0f, p.y));
    }
    batch.End();
    Debug::EndOfPass("models");
}
