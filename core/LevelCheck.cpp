#include "core/LevelCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "audio/SoundManager.h"
#include "core/GlobalInfo.h"
#include "core/Keyboard.h"
#include "core/Loading.h"
#include "core/Problems.h"
#include "core/Simulation.h"
#include "core/System.h"
#include "game/Actors.h"
#include "game/Autopilot.h"
#include "game/Weapon.h"
#include "render/GL.h"
#include "scene/World.h"

namespace {

// A level whose scripts never let the last enemy go still ends.
const float kLongestRun = 30 * 60 * 1000.0f;

bool ReadNumber(const char* text, double low, double high, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

LevelCheck::LevelCheck(const Options& options_) : options(options_) {}

LevelCheck::~LevelCheck() = default;

const char* LevelCheck::Usage()
{
    return "Usage: vantrel-check [--seconds N] [--weapon-level L] [--trace TYPE] [--no-steering] [--quiet]\n"
           "Run from a game directory. Loads data/ as the game does, without a window, plays\n"
           "the level with an autopilot at 60 steps per second and reports what happened and\n"
           "every load failure and script error, and how the run ended, when, and the score.\n"
           "Exit status 0 when there was no problem, else 1.\n"
           "  --seconds N       play N seconds instead of the whole level\n"
           "  --weapon-level L  both weapons at level L, 1 to 10 (default 1)\n"
           "  --trace TYPE      print every running enemy of that type once per second\n"
           "  --no-steering     the autopilot holds no key: the ship only drifts forward\n"
           "  --quiet           print only the problems and the summary line\n";
}

bool LevelCheck::ParseArguments(int argc, char** argv, Options& options, bool& help, std::string& error)
{
    help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double value = 0;
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--no-steering") {
            options.steer = false;
        } else if (arg == "--seconds") {
            if (!hasValue || !ReadNumber(argv[++i], 0.001, kLongestRun / 1000, value)) {
                error = "--seconds needs a number of seconds above 0";
                return false;
            }
            options.seconds = static_cast<float>(value);
        } else if (arg == "--weapon-level") {
            if (!hasValue || !ReadNumber(argv[++i], 1, 10, value) || value != static_cast<int>(value)) {
                error = "--weapon-level needs a whole number from 1 to 10";
                return false;
            }
            options.weaponLevel = static_cast<int>(value);
        } else if (arg == "--trace") {
            if (!hasValue) {
                error = "--trace needs an enemy type name";
                return false;
            }
            options.trace = argv[++i];
        } else {
            error = "unknown argument " + arg;
            return false;
        }
    }
    return true;
}

LevelCheck::TypeCount& LevelCheck::CountFor(const Enemy& enemy)
{
    const std::string& name = enemy.GetType()->GetName();
    auto found = types.find(name);
    if (found == types.end()) {
        typeOrder.push_back(name);
        found = types.emplace(name, TypeCount()).first;
    }
    return found->second;
}

LevelCheck::Seen& LevelCheck::Track(const Enemy& enemy)
{
    auto [it, added] = enemies.try_emplace(&enemy);
    if (added)
        ++CountFor(enemy).placed;
    return it->second;
}

void LevelCheck::EnemyRemoved(const Enemy& enemy, bool killed)
{
    Seen& seen = Track(enemy);  // spawned and gone within one step
    TypeCount& count = CountFor(enemy);
    if (killed) {
        if (!seen.activated)
            ++count.activated;
        ++count.killed;
        lastKill = played;
    } else {
        ++count.escaped;
    }
    enemies.erase(&enemy);  // the address may be reused by a later enemy
}

void LevelCheck::ShotFired(bool player)
{
    ++(player ? playerShots : enemyShots);
}

void LevelCheck::PlayerShotHit(const Enemy&)
{
    ++playerHits;
}

void LevelCheck::EnemyShotHit()
{
    ++enemyHits;
}

void LevelCheck::Observe(Simulation& simulation)
{
    const Actors& actors = *simulation.GetWorld()->GetActors();
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    for (const auto& enemy : actors.GetEnemies()) {
        Seen& seen = Track(*enemy);
        if (!seen.activated && Actors::IsActive(enemy->GetPosition().y, view)) {
            seen.activated = true;
            ++CountFor(*enemy).activated;
        }
    }
    const float hull = actors.GetPlayer()->GetHealth();
    if (hull < lowestHull)
        lowestHull = hull;
}

void LevelCheck::Trace(Simulation& simulation) const
{
    const Vec2 view = GlobalInfo::Instance().GetViewPosition();
    for (const auto& enemy : simulation.GetWorld()->GetActors()->GetEnemies()) {
        if (enemy->GetType()->GetName() != options.trace || !Actors::IsActive(enemy->GetPosition().y, view))
            continue;
        const Vec2 at = enemy->GetPosition();
        printf("  %6.1f s  %s at (%.0f, %.0f) health %.1f states %g %g %g timer %.0f\n", played / 1000,
               options.trace.c_str(), at.x, at.y, enemy->GetHealth(), enemy->GetState1(), enemy->GetState2(),
               enemy->GetState3(), enemy->GetTimer());
    }
}

void LevelCheck::Play(Simulation& simulation)
{
    World* world = simulation.GetWorld();
    if (!world)
        return;
    Actors& actors = *world->GetActors();
    Player& player = *actors.GetPlayer();
    player.GetPrimaryWeapon()->SetLevel(options.weaponLevel);
    player.GetSecondaryWeapon()->SetLevel(options.weaponLevel);
    lowestHull = player.GetHealth();

    Autopilot pilot;
    std::set<int> held;
    Keyboard::SetSource([&held](int key) { return held.count(key) > 0; });
    world->SetObserver(this);
    Observe(simulation);

    const float end = options.seconds > 0 ? options.seconds * 1000 : kLongestRun;
    const int length = GlobalInfo::Instance().GetLevelLength();
    const RunState& run = simulation.GetRun();
    outcome = Outcome();
    int frame = 0;
    while (played < end && run.GetPhase() != RunState::Phase::Ended) {
        const Vec2 view = GlobalInfo::Instance().GetViewPosition();
        // Scripts that never end the run: the whole level is until every
        // enemy is gone, or the view has run off its end.
        if (options.seconds <= 0 && frame > 0 && run.GetPhase() == RunState::Phase::Running &&
            (actors.GetEnemies().empty() || (length > 0 && view.y > length)))
            break;
        if (options.steer)
            held = pilot.Keys(actors, view, played);
        simulation.Step(kStep);
        ++frame;
        if (run.GetPhase() != RunState::Phase::Running && !outcome.ended) {
            outcome.ended = true;
            outcome.message = run.GetMessage();
            outcome.time = played;  // EndGame came during this step
        }
        played = frame * kStep;
        Observe(simulation);
        if (!options.trace.empty() && static_cast<int>(played / 1000) != static_cast<int>((played - kStep) / 1000))
            Trace(simulation);
    }
    world->SetObserver(nullptr);
    Keyboard::SetSource({});
    outcome.score = run.GetScore();
}

bool LevelCheck::Passed() const
{
    return Problems::Count() == 0;
}

std::string LevelCheck::SummaryLine() const
{
    TypeCount total;
    for (const auto& [name, count] : types) {
        total.placed += count.placed;
        total.killed += count.killed;
        total.escaped += count.escaped;
    }
    const int loads = Problems::Count(Problems::Kind::Load);
    const int scripts = Problems::Count(Problems::Kind::Script);
    char line[256];
    snprintf(line, sizeof line,
             "%s: %.1f s played, %d of %d enemies killed, %d escaped, lowest hull %.0f; "
             "%d load problem%s, %d script error%s",
             Passed() ? "OK" : "FAILED", played / 1000, total.killed, total.placed, total.escaped, lowestHull, loads,
             loads == 1 ? "" : "s", scripts, scripts == 1 ? "" : "s");
    return line;
}

std::string LevelCheck::OutcomeLine() const
{
    char score[64];
    snprintf(score, sizeof score, "score %.15g", outcome.score);
    if (!outcome.ended)
        return std::string("Run not ended by the scripts, ") + score;
    char time[64];
    snprintf(time, sizeof time, "%.1f s", outcome.time / 1000);
    return "Run ended: \"" + outcome.message + "\" at " + time + ", " + score;
}

void LevelCheck::PrintReport() const
{
    if (!options.quiet) {
        printf("Level %s, weapons at level %d, %.1f s at %.2f ms per step\n", Simulation::kLevelPath,
               options.weaponLevel, played / 1000, kStep);
        printf("  %-16s %7s %10s %7s %8s\n", "enemy type", "placed", "activated", "killed", "escaped");
        for (const std::string& name : typeOrder) {
            const TypeCount& c = types.at(name);
            printf("  %-16s %7d %10d %7d %8d\n", name.c_str(), c.placed, c.activated, c.killed, c.escaped);
        }
        printf("  player shots %d, hits %d; enemy shots %d, hits on the player %d\n", playerShots, playerHits,
               enemyShots, enemyHits);
        if (lastKill >= 0)
            printf("  lowest hull %.0f; last enemy killed at %.1f s\n", lowestHull, lastKill / 1000);
        else
            printf("  lowest hull %.0f; no enemy killed\n", lowestHull);
    }
    // Each message already says what it is ("Script error in ...", a file's
    // path and line for a load problem).
    for (const Problems::Entry& entry : Problems::List()) {
        printf("  %s", entry.message.c_str());
        if (entry.count > 1)
            printf(" (%d times)", entry.count);
        printf("\n");
    }
    printf("%s\n%s\n", OutcomeLine().c_str(), SummaryLine().c_str());
    fflush(stdout);
}

int LevelCheck::Main(int argc, char** argv)
{
    Options options;
    bool help = false;
    std::string error;
    if (!LevelCheck::ParseArguments(argc, argv, options, help, error)) {
        fprintf(stderr, "vantrel-check: %s\n%s", error.c_str(), Usage());
        return 2;
    }
    if (help) {
        printf("%s", Usage());
        return 0;
    }
    // The same draws every run: the scripts' math.random is the C library's.
    srand(1);

    // The loader lines are the game's; --quiet keeps only the report's problems.
    int savedStdout = -1;
    if (options.quiet) {
        fflush(stdout);
        savedStdout = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }

    // Shaders compile only where a context can be had; everything else is
    // read the same way with or without one.
    bool gl = false;
    const char* display = getenv("DISPLAY");
    if (display && *display && System::Instance().OpenHiddenWindow(640, 480))
        gl = System::Instance().InitGraphics() || (GLEW_ARB_fragment_shader && GLEW_ARB_vertex_shader);

    // No device: sound names and files are checked, nothing plays.
    SoundManager sounds(false);
    Simulation simulation;
    Loading::StartWithoutWindow(simulation, gl, &sounds);
    LevelCheck check(options);
    check.Play(simulation);
    if (savedStdout >= 0) {
        fflush(stdout);
        dup2(savedStdout, 1);
        close(savedStdout);
    }
    check.PrintReport();
    simulation.TearDown();
    GlobalInfo::Instance().SetSounds(nullptr);
    return check.Passed() ? 0 : 1;
}
