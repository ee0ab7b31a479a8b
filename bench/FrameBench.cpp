// Frame-time harness: runs the game's own start-up and frame (Game::Startup,
// Game::RunFrame) under whatever display and GL the environment gives (run it
// under Xvfb with the software renderer, see README), with a fixed step of
// 1/60 s so that every run shows the same frames, and glFinish after every
// frame so the figures include the rasteriser's work, not only the queueing.
//
// Two scenes, each in its own process (the game's singletons live once per
// process): "level", the shipped level from the start, and "stress", a data
// set written to a temporary directory that reuses the shipped art: 300
// enemies on screen firing (about 1,000 bullets in flight) and an explosion
// every 100 ms. Per scene it prints start-up time to the first frame, median
// and p95 frame time after 2 s of warm-up, the ratio to an empty frame (clear
// and swap) measured in the same process, CPU time per frame of the whole
// process (the rasteriser's threads included), peak resident memory, and then
// the cost of each pass of the frame, from frames in which every pass is
// finished with glFinish before the next starts.
//
// Usage:
//   FrameBench [seconds] [level|stress]   seconds of frames measured (default
//                                         20) after the 2 s of warm-up
//   FrameBench --capture DIR [frames...]  the shipped level with the fixed step
//                                         and a fixed random seed; writes the
//                                         picture of each frame, before the
//                                         swap, to DIR/NNNN.ppm
//   FrameBench --compare DIR_A DIR_B      largest per-channel difference of the
//                                         captures the two directories share
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/Debug.h"
#include "core/Game.h"
#include "core/GlobalInfo.h"
#include "core/System.h"
#include "effects/GraphicalEffects.h"
#include "game/Actors.h"
#include "game/Bullets.h"
#include "render/GL.h"
#include <GLFW/glfw3.h>

namespace {

using Clock = std::chrono::steady_clock;

const float kStep = 1000.0f / 60.0f;
const int kWarmupFrames = 120;
const int kProfiledFrames = 120;

double Millis(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double CpuMillis()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile95(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * 95 / 100)];
}

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// The stress data set in a fresh directory, which becomes the working
// directory. Shaders, textures, models, sounds, the bullet types and the
// heightmap are the shipped ones, linked; the shipped scripts are copied,
// since game scripts may only run files that really lie under data/scripts;
// the level, its enemy types and timeline and the stress scripts are written
// here.
bool MakeStressData(const std::string& shipped)
{
    char dir[] = "/tmp/vantrel-stress-XXXXXX";
    if (!mkdtemp(dir))
        return false;
    const std::string root = dir;
    for (const char* sub : {"/data", "/data/levels", "/data/scripts", "/data/scripts/enemies"})
        mkdir((root + sub).c_str(), 0755);
    bool ok = true;
    for (const char* link : {"shaders", "textures", "models", "sounds", "levels/Level1-bullets.txt",
                             "levels/Level1-height.tga"})
        ok = symlink((shipped + "/" + link).c_str(), (root + "/data/" + link).c_str()) == 0 && ok;
    std::error_code weapons, mainScript;
    std::filesystem::copy(shipped + "/scripts/weapons", root + "/data/scripts/weapons",
                          std::filesystem::copy_options::recursive, weapons);
    std::filesystem::copy_file(shipped + "/scripts/main.lua", root + "/data/scripts/shipped-main.lua", mainScript);
    ok = !weapons && !mainScript && ok;

    ok = WriteFile(root + "/data/levels/Level1.txt",
                   "1000 43999\ndata/levels/Stress-types.txt\ndata/levels/Stress-enemies.txt\n"
                   "data/levels/Level1-bullets.txt\ndata/levels/Level1-height.tga\n") && ok;
    std::string types;
    const char* const models[] = {"dart", "weaver", "turret"};
    for (const char* model : models)
        types += std::string(model) + "\ndata/models/" + model + ".obj\n" + model +
                 ".png\ndata/scripts/enemies/stress.lua\n50\n1000000\n";
    ok = WriteFile(root + "/data/levels/Stress-types.txt", types) && ok;

    // 300 enemies over the upper part of the first view (centred on y = 200,
    // 550 units to each side, 400 up), clear of the player at its centre.
    std::string timeline;
    for (int i = 0; i < 300; ++i) {
        const int column = i % 20, row = i / 20;
        timeline += std::string(models[i % 3]) + "\n" + std::to_string(-494 + 52 * column) + " " +
                    std::to_string(270 + 22 * row) + "\n" + std::to_string((i * 37) % 700) + " 0 0\n";
    }
    ok = WriteFile(root + "/data/levels/Stress-enemies.txt", timeline) && ok;

    ok = WriteFile(root + "/data/scripts/enemies/stress.lua", R"(-- Holds its place on screen, swaying, and fires an orb down the screen every
-- 700 ms; state 1 is the phase of its volley.
local Stress = {}
function Stress.Update(x, y, dt, phase, s2, s3, timer)
    x, y = Game.Move(x, y, math.sin(timer * 0.002 + phase) * 0.03, 0, dt)
    if Game.Every(timer, dt, 700, phase) then
        Game.EnemyShoot(2, x, y - 10, (math.random() - 0.5) * 0.6, -1, 0.3, 0.001)
    end
    return x, y, phase, s2, s3
end
function Stress.OnHit(x, y, health, damage, s1, s2, s3, timer)
    return health - damage, s1, s2, s3
end
function Stress.OnDeath() return true end
return Stress
)") && ok;
    ok = WriteFile(root + "/data/scripts/main.lua", R"(dofile("data/scripts/shipped-main.lua")
-- The shipped entry points, and an explosion somewhere in view every 100 ms.
local ShippedUpdate = Update
local sinceBlast = 0
function Update(x, y, dt)
    ShippedUpdate(x, y, dt)
    sinceBlast = sinceBlast + dt
    while sinceBlast >= 100 do
        sinceBlast = sinceBlast - 100
        Vantrel.Explode(Game.viewX + (math.random() - 0.5) * 1000, Game.viewY + (math.random() - 0.5) * 700, 40, 0)
    end
end
)") && ok;
    return ok && chdir(root.c_str()) == 0;
}

// Times of every pass of one frame, from the pass hook: the time since the
// previous pass ended, the GL work finished.
class PassClock {
public:
    void Start()
    {
        glFinish();
        last = Clock::now();
    }
    void End(const char* name)
    {
        glFinish();
        const Clock::time_point now = Clock::now();
        std::vector<double>& times = passes[name];
        if (times.empty())
            order.push_back(name);
        times.push_back(Millis(last, now));
        last = now;
    }
    void Print(FILE* out) const
    {
        fprintf(out, "  passes (median ms):");
        for (const std::string& name : order)
            fprintf(out, " %s %.2f", name.c_str(), Median(passes.at(name)));
        fprintf(out, "\n");
    }

private:
    Clock::time_point last;
    std::map<std::string, std::vector<double>> passes;
    std::vector<std::string> order;
};

int RunScene(const std::string& scene, double seconds, FILE* report)
{
    const Clock::time_point launch = Clock::now();
    if (scene == "stress") {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd) || !MakeStressData(std::string(cwd) + "/data")) {
            fprintf(report, "FrameBench: could not write the stress data set\n");
            return 1;
        }
    }
    Game game;
    if (!game.Startup()) {
        fprintf(report, "FrameBench: the game could not start (no display or GL?)\n");
        return 1;
    }
    srand(1);
    game.RunFrame(kStep);
    glFinish();
    const double startupMs = Millis(launch, Clock::now());
    // No vertical sync: the harness measures the work, not the display rate.
    glfwSwapInterval(0);

    for (int i = 0; i < kWarmupFrames; ++i) {
        game.RunFrame(kStep);
        glFinish();
    }
    std::vector<double> times;
    const int frames = static_cast<int>(seconds * 60.0);
    const double cpuStart = CpuMillis();
    const Clock::time_point wallStart = Clock::now();
    for (int i = 0; i < frames; ++i) {
        const Clock::time_point a = Clock::now();
        game.RunFrame(kStep);
        glFinish();
        times.push_back(Millis(a, Clock::now()));
    }
    const double wall = Millis(wallStart, Clock::now());
    const double cpuPerFrame = (CpuMillis() - cpuStart) / frames;

    GlobalInfo& info = GlobalInfo::Instance();
    const size_t enemies = info.GetActors() ? info.GetActors()->GetEnemies().size() : 0;
    const size_t bullets =
        info.GetBullets() ? info.GetBullets()->GetPlayerBullets().size() + info.GetBullets()->GetEnemyBullets().size()
                          : 0;
    const size_t effects = info.GetEffects() ? info.GetEffects()->GetEffectCount() : 0;

    PassClock passes;
    System::Instance().GetDebug()->SetPassHook([&](const char* name) { passes.End(name); });
    for (int i = 0; i < kProfiledFrames; ++i) {
        passes.Start();
        game.RunFrame(kStep);
        passes.End("step and swap");
    }
    System::Instance().GetDebug()->SetPassHook(nullptr);

    std::vector<double> empty;
    for (int i = 0; i < 240; ++i) {
        const Clock::time_point a = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        System::Instance().SwapBuffers();
        glFinish();
        if (i >= 30)
            empty.push_back(Millis(a, Clock::now()));
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double median = Median(times), emptyMedian = Median(empty);
    fprintf(report, "%-7s %6d %7.2fms %7.2fms %7.2f %7.2fms %6.0fms %6.1fMB %6.1fs   (%zu enemies, %zu bullets, %zu effects)\n",
           scene.c_str(), frames, median, Percentile95(times), emptyMedian > 0 ? median / emptyMedian : 0.0,
           cpuPerFrame, startupMs, usage.ru_maxrss / 1024.0, wall / 1000.0, enemies, bullets, effects);
    fprintf(report, "  empty frame median %.2fms\n", emptyMedian);
    passes.Print(report);
    game.Teardown();
    return 0;
}

// Runs a scene in a child process. The game's loading lines go to stdout,
// which the child sends to /dev/null; its table row goes to the saved stdout.
int RunSceneProcess(const std::string& scene, double seconds)
{
    fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        FILE* report = fdopen(dup(STDOUT_FILENO), "w");
        if (!report || !freopen("/dev/null", "w", stdout))
            _exit(1);
        const int status = RunScene(scene, seconds, report);
        fclose(report);
        _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

void WritePpm(const std::string& path)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int w = viewport[2], h = viewport[3];
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return;
    fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; --row)
        fwrite(&pixels[static_cast<size_t>(row) * w * 3], 1, static_cast<size_t>(w) * 3, f);
    fclose(f);
}

int Capture(const std::string& dir, std::vector<int> frames)
{
    if (frames.empty())
        frames = {30, 120, 300, 600, 900, 1200, 1500, 1800};
    mkdir(dir.c_str(), 0755);
    Game game;
    if (!game.Startup())
        return 1;
    srand(1);
    glfwSwapInterval(0);
    const int last = *std::max_element(frames.begin(), frames.end());
    int frame = 0;
    // The picture is read back when the HUD is done, before the swap.
    System::Instance().GetDebug()->SetPassHook([&](const char* pass) {
        if (std::strcmp(pass, "hud") != 0 || std::find(frames.begin(), frames.end(), frame) == frames.end())
            return;
        char name[32];
        snprintf(name, sizeof name, "/%04d.ppm", frame);
        WritePpm(dir + name);
    });
    for (frame = 1; frame <= last; ++frame)
        game.RunFrame(kStep);
    System::Instance().GetDebug()->SetPassHook(nullptr);
    game.Teardown();
    return 0;
}

bool ReadPpm(const std::string& path, int& w, int& h, std::vector<unsigned char>& pixels)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    int maxValue = 0;
    const bool ok = fscanf(f, "P6 %d %d %d", &w, &h, &maxValue) == 3 && fgetc(f) != EOF && w > 0 && h > 0;
    if (ok) {
        pixels.resize(static_cast<size_t>(w) * h * 3);
        const size_t got = fread(pixels.data(), 1, pixels.size(), f);
        fclose(f);
        return got == pixels.size();
    }
    fclose(f);
    return false;
}

int Compare(const std::string& a, const std::string& b)
{
    int worst = 0;
    for (int frame = 0; frame <= 100000; ++frame) {
        char name[32];
        snprintf(name, sizeof name, "/%04d.ppm", frame);
        int wa = 0, ha = 0, wb = 0, hb = 0;
        std::vector<unsigned char> pa, pb;
        if (!ReadPpm(a + name, wa, ha, pa))
            continue;
        if (!ReadPpm(b + name, wb, hb, pb) || wa != wb || ha != hb) {
            printf("frame %d: missing or of another size in %s\n", frame, b.c_str());
            worst = 255;
            continue;
        }
        int largest = 0;
        size_t differing = 0, over3 = 0;
        for (size_t i = 0; i < pa.size(); ++i) {
            const int d = std::abs(pa[i] - pb[i]);
            largest = std::max(largest, d);
            differing += d != 0;
            over3 += d > 3;
        }
        printf("frame %4d: largest difference %3d, %zu of %zu channels differ, %zu by more than 3\n", frame,
               largest, differing, pa.size(), over3);
        worst = std::max(worst, largest);
    }
    printf("largest per-channel difference: %d\n", worst);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--capture") == 0) {
        std::vector<int> frames;
        for (int i = 3; i < argc; ++i)
            frames.push_back(atoi(argv[i]));
        return Capture(argv[2], frames);
    }
    if (argc >= 4 && std::strcmp(argv[1], "--compare") == 0)
        return Compare(argv[2], argv[3]);

    const double seconds = argc > 1 ? std::max(1.0, atof(argv[1])) : 20.0;
    std::vector<std::string> scenes = {"level", "stress"};
    if (argc > 2)
        scenes = {argv[2]};
    printf("%-7s %6s %9s %9s %7s %9s %8s %8s %7s\n", "scene", "frames", "median", "p95", "x empty", "cpu/frame",
           "start-up", "peak RSS", "wall");
    int status = 0;
    for (const std::string& scene : scenes)
        status |= RunSceneProcess(scene, seconds);
    return status;
}
