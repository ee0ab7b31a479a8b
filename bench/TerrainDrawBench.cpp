// Drawing one frame of the ground pass as the World does (the visible
// terrain chunks, then the backdrop twice) from a 128 x 1601 heightmap, through a
// lit ground shader, on whatever GL the display offers (Mesa's software
// renderer under xvfb-run with LIBGL_ALWAYS_SOFTWARE=1). glFinish makes
// each frame's rendering count. Baselines in the same run: a cleared frame,
// and the backdrop alone (no heightmap).
//   xvfb-run -a -s "-screen 0 1024x768x24" ./TerrainDrawBench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/GlobalInfo.h"
#include "core/System.h"
#include "render/GL.h"
#include "render/ShaderManager.h"
#include "scene/Board.h"
#include "scene/PlayerCamera.h"

namespace {

const char* const kGroundShader =
    "[vertex]\n"
    "varying vec3 normal;\n"
    "void main() { normal = gl_Normal; gl_Position = ftransform(); }\n"
    "[fragment]\n"
    "uniform int plrPosX;\n"
    "uniform int plrPosY;\n"
    "uniform int camY;\n"
    "varying vec3 normal;\n"
    "void main() {\n"
    "  float light = max(dot(normalize(normal), normalize(vec3(0.3, 1.0, 0.2))), 0.0);\n"
    "  gl_FragColor = vec4(vec3(0.2, 0.5, 0.2) * light + float(plrPosX + plrPosY + camY) * 0.0, 1.0);\n"
    "}\n";

struct Scene {
    std::string dir;
    ShaderManager shaders;
    std::unique_ptr<Board> board;
    std::unique_ptr<Board> bare;
    PlayerCamera camera{1000.0f};
};

Scene* scene = nullptr;

class Ground : public SceneNode {
public:
    explicit Ground(Board& b) : board(b) {}
    void Draw() override
    {
        board.DrawGround();
    }
    Board& board;
};

void Frame(Board* board)
{
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (board) {
        Ground ground(*board);
        scene->camera.Render(&ground);
    }
    glFinish();
}

void BM_ClearOnly(benchmark::State& state)
{
    for (auto _ : state)
        Frame(nullptr);
}
BENCHMARK(BM_ClearOnly)->Unit(benchmark::kMillisecond);

void BM_BackdropOnly(benchmark::State& state)
{
    for (auto _ : state)
        Frame(scene->bare.get());
}
BENCHMARK(BM_BackdropOnly)->Unit(benchmark::kMillisecond);

void BM_GroundPassVisibleChunks(benchmark::State& state)
{
    // Walk along the level so that two and three visible chunks both occur.
    float scroll = 2000.0f;
    for (auto _ : state) {
        scene->camera.SetScroll(scroll);
        scene->camera.Follow(Vec2(0.0f, scroll), 0.0f);
        Frame(scene->board.get());
        scroll = scroll > 30000.0f ? 2000.0f : scroll + 97.0f;
    }
    state.counters["chunks"] = static_cast<double>(
        scene->board->VisibleChunks(GlobalInfo::Instance().GetViewPosition().y).size());
}
BENCHMARK(BM_GroundPassVisibleChunks)->Unit(benchmark::kMillisecond);

bool SetUp()
{
    System& system = System::Instance();
    if (!system.OpenWindow("Vantrel 0.2", 640, 480, 0, false)) {
        fprintf(stderr, "no window: run under xvfb-run\n");
        return false;
    }
    system.InitGraphics();
    scene = new Scene();
    scene->dir = (std::filesystem::temp_directory_path() / "vantrel-terraindraw/").string();
    std::filesystem::create_directories(scene->dir);
    std::ofstream(scene->dir + "ground.shdr") << kGroundShader;
    {
        std::vector<char> bytes = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<char>(128), 0, static_cast<char>(1601 & 0xff),
                                   static_cast<char>(1601 >> 8), 8, 0};
        for (int z = 0; z < 1601; ++z)
            for (int x = 0; x < 128; ++x)
                bytes.push_back(static_cast<char>((x * x + z * 3) % 97));
        std::ofstream(scene->dir + "map.tga", std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    }
    scene->shaders.LoadDirectory(scene->dir);
    Shader* ground = scene->shaders.GetShader("ground.shdr");
    scene->board = std::make_unique<Board>(nullptr, nullptr, ground);
    scene->bare = std::make_unique<Board>(nullptr, nullptr, ground);
    GlobalInfo::Instance().SetLevelSize(2500, 20000);
    return scene->board->LoadHeightmap(scene->dir + "map.tga");
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!SetUp())
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scene->board.reset();
    scene->bare.reset();
    std::filesystem::remove_all(scene->dir);
    delete scene;
    return 0;
}
