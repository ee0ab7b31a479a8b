// Frame-time harness: runs the game's own start-up and frame under whatever
// display and GL the environment gives (run it under Xvfb with the software
// renderer, see README), finishing every frame with glFinish so the figures
// include the rasteriser's work, not only the time to queue it.
//
// Prints, for the shipped level: start-up time, median and p95 frame time,
// the same for an empty frame (clear and swap) measured in the same run,
// their ratio, and the peak resident memory of the process.
//
// Usage: FrameBench [seconds]   (default 20, after 2 s not counted)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/Game.h"
#include "core/System.h"
#include "render/GL.h"
#include <GLFW/glfw3.h>

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Summary {
    double median = 0.0;
    double p95 = 0.0;
    size_t frames = 0;
};

Summary Summarise(std::vector<double> times)
{
    Summary s;
    s.frames = times.size();
    if (times.empty())
        return s;
    std::sort(times.begin(), times.end());
    s.median = times[times.size() / 2];
    s.p95 = times[std::min(times.size() - 1, times.size() * 95 / 100)];
    return s;
}

// Times a frame function for warm-up plus measured seconds of wall clock.
template <typename Frame>
Summary TimeFrames(double warmupSeconds, double seconds, Frame frame)
{
    std::vector<double> times;
    const Clock::time_point start = Clock::now();
    for (;;) {
        const Clock::time_point a = Clock::now();
        const double elapsed = Millis(start, a) / 1000.0;
        if (elapsed > warmupSeconds + seconds || !System::Instance().IsRunning())
            break;
        frame();
        glFinish();
        const Clock::time_point b = Clock::now();
        if (elapsed >= warmupSeconds)
            times.push_back(Millis(a, b));
    }
    return Summarise(std::move(times));
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(1.0, atof(argv[1])) : 20.0;
    const double warmup = 2.0;

    const Clock::time_point launch = Clock::now();
    Game game;
    if (!game.Startup()) {
        printf("FrameBench: the game could not start (no display or GL?)\n");
        return 1;
    }
    game.RunFrame();
    glFinish();
    const double startupMs = Millis(launch, Clock::now());

    // No vertical sync: the harness measures the work, not the display rate.
    glfwSwapInterval(0);

    const Summary level = TimeFrames(warmup, seconds, [&] { game.RunFrame(); });
    const Summary empty = TimeFrames(0.5, 3.0, [] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        System::Instance().SwapBuffers();
    });

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    printf("\n%-14s %8s %8s %8s %8s\n", "scene", "frames", "median", "p95", "x empty");
    printf("%-14s %8zu %7.2fms %7.2fms %8.2f\n", "level", level.frames, level.median, level.p95,
           empty.median > 0.0 ? level.median / empty.median : 0.0);
    printf("%-14s %8zu %7.2fms %7.2fms %8.2f\n", "empty frame", empty.frames, empty.median, empty.p95, 1.0);
    printf("start-up to first frame: %.0f ms\n", startupMs);
    printf("peak resident memory: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    game.Teardown();
    return 0;
}
