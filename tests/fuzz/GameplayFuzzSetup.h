// What the gameplay loaders' fuzz targets share: a quiet console while an
// input runs, assets that touch neither files nor GL, and a script host whose
// entry points answer at once. Set up once per process, on the first input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <fcntl.h>
#include <unistd.h>

#include "core/GlobalInfo.h"
#include "game/Assets.h"
#include "script/ScriptManager.h"
#include "tests/support/StubMainScript.h"

inline void SetUpGameplayFuzzing()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Assets::SetSource(Assets::NullSource());

    const std::string path = "/tmp/vantrel-fuzz-main-" + std::to_string(getpid()) + ".lua";
    WriteStubMainScript(path, "n = 0\n"
                              "function EnemyLoadScript(path) n = n + 1 return n end\n"
                              "function EnemyDoUpdate(h, x, y, dt, a, b, c, t) return x + a, y - dt * 0.1, a, b, c end\n"
                              "function EnemyOnDeath(h, x, y, a, b, c, t) return true end\n");
    static std::unique_ptr<ScriptManager> scripts = std::make_unique<ScriptManager>(path);
    unlink(path.c_str());
    ScriptManager::SetInstanceForTesting(scripts.get());
}

// The loaders print a line per record: silenced while one input runs, so the
// replay's own summary still reaches the console.
class QuietStdout {
public:
    QuietStdout()
    {
        static const int null = open("/dev/null", O_WRONLY);
        fflush(stdout);
        saved = dup(1);
        dup2(null, 1);
    }
    ~QuietStdout()
    {
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};
