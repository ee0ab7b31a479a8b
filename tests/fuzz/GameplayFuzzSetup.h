// What the gameplay loaders' fuzz targets share: assets that touch neither
// files nor GL, and a script host whose entry points answer at once. Set up
// once per process, on the first input.
#pragma once

#include <memory>
#include <string>
#include <unistd.h>

#include "core/GlobalInfo.h"
#include "game/Assets.h"
#include "script/ScriptManager.h"
#include "tests/support/QuietStdout.h"
#include "tests/support/StubMainScript.h"

inline void SetUpGameplayFuzzing()
{
    static const std::unique_ptr<ScriptManager> scripts = [] {
        Assets::SetSource(Assets::NullSource());
        const std::string path = WriteStubMainScript(
            "/tmp/vantrel-fuzz-main-" + std::to_string(getpid()) + ".lua",
            "n = 0\n"
            "function EnemyLoadScript(path) n = n + 1 return n end\n"
            "function EnemyDoUpdate(h, x, y, dt, a, b, c, t) return x + a, y - dt * 0.1, a, b, c end\n"
            "function EnemyOnDeath(h, x, y, a, b, c, t) return true end\n");
        auto manager = std::make_unique<ScriptManager>(path);
        unlink(path.c_str());
        ScriptManager::SetInstanceForTesting(manager.get());
        return manager;
    }();
}
