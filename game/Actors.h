// Holds the player and every enemy: the first child of the World. Creates the
// Player (the script host's first use) and registers it in GlobalInfo; owns
// the player, the enemy-type table and the enemies.
//
// Each update runs the player, then walks the enemies in array order: an
// enemy inside the activity window (2000 behind to 500 ahead of the view) is
// hit by the player's bullets, updated through its script and may touch the
// player; one that fell 2000 behind is removed; one ahead waits untouched.
// Scripts run during that walk and may append enemies and bullets, so the
// walk holds positions, never iterators or addresses into the arrays, and an
// appended enemy is visited later in the same pass. Only the walk removes.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "core/Vec2.h"
#include "game/BulletGrid.h"
#include "game/Enemy.h"
#include "game/EnemyType.h"
#include "game/Player.h"
#include "scene/SceneNode.h"

class Bullet;
class Bullets;
class PlayObserver;

class Actors : public SceneNode {
public:
    Actors();
    ~Actors() override;

    // The enemy-type file: appends its types, loading each type's model and
    // script. False when the file cannot be opened.
    bool LoadEnemyTypes(const std::string& path);
    bool LoadEnemyTypes(std::istream& in, const std::string& name);
    // The enemy timeline file: appends its enemies. False when the file
    // cannot be opened.
    bool LoadEnemies(const std::string& path);
    bool LoadEnemies(std::istream& in, const std::string& name);

    // The first type of that exact name, or null.
    EnemyType* FindEnemyType(const std::string& name) const;
    // Appends an enemy of the named type; a name that matches no type does
    // nothing and returns false.
    bool SpawnEnemy(const std::string& typeName, const Vec2& position, float state1, float state2, float delay);

    void Update(float dt) override;
    // The player, then the enemies within 500 of the view. Needs a GL context.
    void Draw() override;

    Player* GetPlayer() const { return player.get(); }
    const std::vector<std::unique_ptr<EnemyType>>& GetEnemyTypes() const { return enemyTypes; }
    const std::vector<std::unique_ptr<Enemy>>& GetEnemies() const { return enemies; }

    // The windows along the forward axis, all bounds open: an enemy is
    // updated while within 2000 behind to 500 ahead of the view, drawn while
    // within 500 behind to 500 ahead, and removed once more than 2000 behind
    // (one exactly on the rear bound waits untouched).
    static bool IsActive(float y, const Vec2& view);
    static bool IsDrawn(float y, const Vec2& view);
    static bool IsPassed(float y, const Vec2& view);

    // On by default. The grid broad phase finds exactly the hits of the plain
    // test of every bullet against every enemy; the switch lets tests and
    // benchmarks compare the two.
    void SetBroadPhase(bool on) { broadPhase = on; }

    // Null for none; not owned.
    void SetObserver(PlayObserver* o) { observer = o; }

private:
    void HitByBullets(Enemy& enemy, Bullets& bullets);
    void HitByBullet(Enemy& enemy, Bullet& bullet);
    void Remove(size_t index, bool killed);

    std::unique_ptr<Player> player;
    std::vector<std::unique_ptr<EnemyType>> enemyTypes;
    std::vector<std::unique_ptr<Enemy>> enemies;

    PlayObserver* observer = nullptr;
    bool broadPhase = true;
    bool gridBuilt = false;
    BulletGrid grid;
    std::vector<uint32_t> candidates;
};
