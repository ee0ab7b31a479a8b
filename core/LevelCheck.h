// vantrel-check's work, as functions the tool, the tests and later tools
// share: start the game without a window, play the level headless through
// the game's own step with a fixed time step and the autopilot, and report
// what happened and every problem (load failures, script errors).
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "game/PlayObserver.h"

class Enemy;
class Simulation;

class LevelCheck : public PlayObserver {
public:
    static constexpr float kStep = 1000.0f / 60.0f;

    struct Options {
        float seconds = 0;  // 0: the whole level
        int weaponLevel = 1;
        std::string trace;  // an enemy type to print once per second
        bool quiet = false;
        bool steer = true;  // false: the autopilot holds no key
    };

    // How the run ended, as the scripts ended it through Vantrel.EndGame.
    struct Outcome {
        bool ended = false;
        std::string message;
        float time = 0;  // milliseconds into the run when EndGame was called
        double score = 0;
    };

    struct TypeCount {
        int placed = 0;
        int activated = 0;
        int killed = 0;
        int escaped = 0;
    };

    explicit LevelCheck(const Options& options);
    ~LevelCheck() override;

    // Reads the command line; false (with the reason in `error`) when it is
    // not understood. `--help` sets `help`.
    static bool ParseArguments(int argc, char** argv, Options& options, bool& help, std::string& error);
    static const char* Usage();

    // Plays a built simulation until the run has ended (the scripts' EndGame
    // and the two seconds after it), to the end of the level for scripts that
    // never end it (every enemy killed or escaped, or the view past the
    // level's length), or for the set seconds.
    void Play(Simulation& simulation);
    // The report: per enemy type, shots and hits, lowest hull, problems; with
    // `quiet` only the problems. The outcome line and the summary line come
    // last either way.
    void PrintReport() const;
    std::string SummaryLine() const;
    // How the run ended, when and the score, as the report's next-to-last line.
    std::string OutcomeLine() const;
    // True when nothing failed to load and no script raised an error.
    bool Passed() const;

    // The whole tool, run from a game directory: 0 when Passed, else 1.
    static int Main(int argc, char** argv);

    const std::vector<std::string>& GetTypeOrder() const { return typeOrder; }
    const std::map<std::string, TypeCount>& GetTypeCounts() const { return types; }
    int GetPlayerShots() const { return playerShots; }
    int GetPlayerHits() const { return playerHits; }
    int GetEnemyShots() const { return enemyShots; }
    int GetEnemyHits() const { return enemyHits; }
    float GetLowestHull() const { return lowestHull; }
    // Milliseconds into the run; negative when no enemy was killed.
    float GetLastKillTime() const { return lastKill; }
    float GetPlayedTime() const { return played; }
    const Outcome& GetOutcome() const { return outcome; }

    // PlayObserver
    void EnemyRemoved(const Enemy& enemy, bool killed) override;
    void ShotFired(bool player) override;
    void PlayerShotHit(const Enemy& enemy) override;
    void EnemyShotHit() override;

private:
    struct Seen {
        bool activated = false;
    };
    TypeCount& CountFor(const Enemy& enemy);
    Seen& Track(const Enemy& enemy);
    void Observe(Simulation& simulation);
    void Trace(Simulation& simulation) const;

    Options options;
    std::vector<std::string> typeOrder;
    std::map<std::string, TypeCount> types;
    std::unordered_map<const Enemy*, Seen> enemies;
    int playerShots = 0;
    int playerHits = 0;
    int enemyShots = 0;
    int enemyHits = 0;
    float lowestHull = 0;
    float lastKill = -1;
    float played = 0;
    Outcome outcome;
};
