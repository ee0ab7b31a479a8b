// Time from entering main to the end of the first frame. Start-up can run only once
// per process, so tools/bench-startup.sh runs this several times and reports
// medians. Run from the source tree so data/ is found, with a display.
#include <chrono>
#include <cstdio>

#include "core/Game.h"

int main()
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Game game;
    // The game's console goes to stdout; the figure goes to stderr.
    const bool ok = game.Startup();
    game.RunFrame();
    const auto firstFrame = Clock::now();
    const double total = std::chrono::duration<double, std::milli>(firstFrame - start).count();
    game.Teardown();
    fprintf(stderr, "startup_to_first_frame_ms %.2f %s\n", total, ok ? "" : "(start-up failed)");
    return ok ? 0 : 1;
}
