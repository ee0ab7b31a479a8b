// One of the player's two guns: the game-side record a weapon script runs
// against every frame. Holds the script's handle, the level the script is
// told, and three numbers the script keeps its own state in (0 at first).
// Has no firing logic: the script fires through Vantrel.ShootPlayerPlasma.
// Owned by the Player.
#pragma once

#include <string>

class Weapon {
public:
    // Names longer than 127 characters are cut to 127.
    Weapon(const std::string& name, int scriptHandle, int level);
    virtual ~Weapon() = default;

    const std::string& GetName() const { return name; }
    int GetScriptHandle() const { return scriptHandle; }
    int GetLevel() const { return level; }
    void SetLevel(int l) { level = l; }

    float GetState1() const { return state1; }
    float GetState2() const { return state2; }
    float GetState3() const { return state3; }
    void SetState1(float s) { state1 = s; }
    void SetState2(float s) { state2 = s; }
    void SetState3(float s) { state3 = s; }

private:
    std::string name;
    int scriptHandle = 0;
    int level = 0;
    float state1 = 0.0f;
    float state2 = 0.0f;
    float state3 = 0.0f;
};
