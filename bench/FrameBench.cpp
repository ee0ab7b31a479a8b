// Frame time of the shipped level as a player gets it: the whole game
// (scene, bloom, distortion, HUD, updates) started from the working
// directory, run for a number of seconds (first argument, default 30) with
// nobody at the keys, then the median, mean and 95th percentile of the time
// steps the frame clock measured. Run from the repository root, under a
// display (Xvfb with Mesa's software renderer in our figures).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "core/Game.h"

int main(int argc, char** argv)
{
    const float seconds = argc > 1 ? static_cast<float>(std::atof(argv[1])) : 30.0f;
    Game game;
    if (!game.Startup())
        return 1;
    game.RunFrame();  // the first step spans the whole start-up
    std::vector<float> steps;
    float total = 0.0f;
    while (total < seconds * 1000.0f) {
        const float dt = game.RunFrame();
        steps.push_back(dt);
        total += dt;
    }
    game.Teardown();
    std::sort(steps.begin(), steps.end());
    const float mean = std::accumulate(steps.begin(), steps.end(), 0.0f) / static_cast<float>(steps.size());
    fprintf(stderr, "frames %zu  median %.2f ms  mean %.2f ms  p95 %.2f ms\n", steps.size(), steps[steps.size() / 2],
            mean, steps[steps.size() * 95 / 100]);
    return 0;
}
