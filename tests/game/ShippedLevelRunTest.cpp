// The shipped level and scripts through the real script host and world, for a
// minute of play without a window. Skipped while the data is not in the tree.
#include <GLFW/glfw3.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "game/Actors.h"
#include "scene/PlayerCamera.h"
#include "scene/World.h"
#include "tests/game/GameplayFixture.h"

namespace {

class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& path) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

class ShippedLevelRunTest : public GameplayTest {};

TEST_F(ShippedLevelRunTest, AMinuteOfLevelOneKeepsTheInvariants)
{
    // The game reads its data relative to the working directory.
    const std::filesystem::path root = VANTREL_SOURCE_DIR;
    ASSERT_TRUE(std::filesystem::exists(root / "data/levels/Level1.txt"));
    ASSERT_TRUE(std::filesystem::exists(root / "data/scripts/main.lua"));
    InDirectory here(root);
    Assets::SetSource({});  // the real models

    ScriptManager manager;  // "data/scripts/main.lua"
    ScriptManager::SetInstanceForTesting(&manager);
    lua_State* L = manager.GetState();
    // Every EnemyDoUpdate must come from inside the activity window.
    const char* guard = "outside, calls = 0, 0\n"
                        "local update = EnemyDoUpdate\n"
                        "function EnemyDoUpdate(h, x, y, ...)\n"
                        "  calls = calls + 1\n"
                        "  if not (y > guardViewY - 2000 and y < guardViewY + 500) then outside = outside + 1 end\n"
                        "  return update(h, x, y, ...)\n"
                        "end\n";
    ASSERT_EQ(0, luaL_dostring(L, guard));

    ::testing::internal::CaptureStderr();
    {
        World world;
        CaptureStdout([&] { EXPECT_TRUE(world.LoadLevel("data/levels/Level1.txt")); });
        ASSERT_FALSE(world.GetActors()->GetEnemyTypes().empty());
        PlayerCamera camera(1000.0f);
        camera.StartAtPlayer();
        Player& player = *world.GetActors()->GetPlayer();
        const float dt = 16.0f;
        for (int frame = 0; frame < 3750; ++frame) {
            held.clear();
            held.insert((frame / 90) % 2 ? GLFW_KEY_LEFT : GLFW_KEY_RIGHT);
            lua_pushnumber(L, GlobalInfo::Instance().GetViewPosition().y);
            lua_setglobal(L, "guardViewY");
            manager.Update(dt);
            world.UpdateTree(dt);
            camera.Update(dt);
            ASSERT_EQ(1, lua_gettop(L)) << "frame " << frame;
            ASSERT_FALSE(std::isnan(player.GetHealth()) || std::isnan(player.GetPosition().x)) << frame;
        }
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(0, manager.GetErrorCount()) << errors;
    lua_getglobal(L, "outside");
    EXPECT_EQ(0, lua_tointeger(L, -1));
    lua_getglobal(L, "calls");
    EXPECT_GT(lua_tointeger(L, -1), 1000);  // the level's enemies did run
    lua_pop(L, 2);
    ScriptManager::SetInstanceForTesting(nullptr);
}

}  // namespace
