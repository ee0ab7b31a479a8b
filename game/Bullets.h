// Holds the level's bullet types and every shot in flight, in two lists: the
// player's shots (tested against enemies by the Actors container) and the
// enemies' shots (tested against the player here). A child of the World,
// registered in GlobalInfo so scripts' shots land here. Owns the types and
// the bullets.
//
// Each update moves every bullet, drops those outside the open band of 500
// units ahead of and behind the view's z or spent, and lets enemy shots hit
// the player. Scripts only append; nothing else removes bullets.
#pragma once

#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "core/Vec2.h"
#include "game/Bullet.h"
#include "game/BulletType.h"
#include "render/SpriteBatch.h"
#include "scene/SceneNode.h"

class PlayObserver;

class Bullets : public SceneNode {
public:
    using BulletList = std::vector<std::unique_ptr<Bullet>>;

    Bullets();
    ~Bullets() override;

    // Reads the bullet-type file and appends its types. False when the file
    // cannot be opened.
    bool LoadBulletTypes(const std::string& path);
    // The same over an open stream; `name` names it in console lines.
    bool LoadBulletTypes(std::istream& in, const std::string& name);

    // Appends a shot of that type. A type number outside the table creates
    // nothing and returns false; the first refusal of each number says so on
    // stderr.
    bool AddPlayerBullet(int type, const Vec2& position, const Vec2& velocity, float strength);
    bool AddEnemyBullet(int type, const Vec2& position, const Vec2& velocity, float strength);

    // Player shots, then enemy shots, in one batch of sprites. Needs a GL
    // context when there is anything to draw.
    void Draw() override;
    void Update(float dt) override;

    const std::vector<std::unique_ptr<BulletType>>& GetBulletTypes() const { return bulletTypes; }
    const BulletList& GetPlayerBullets() const { return playerBullets; }
    const BulletList& GetEnemyBullets() const { return enemyBullets; }

    // Null for none; not owned.
    void SetObserver(PlayObserver* o) { observer = o; }

private:
    bool Add(BulletList& list, int type, const Vec2& position, const Vec2& velocity, float strength);

    std::vector<std::unique_ptr<BulletType>> bulletTypes;
    BulletList enemyBullets;
    BulletList playerBullets;
    PlayObserver* observer = nullptr;
    SpriteBatch sprites;
};
