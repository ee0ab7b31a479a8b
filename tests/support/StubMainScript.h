// The main script that tests, fuzz targets and benchmarks start from: all
// seven entry points, each answering at once with the state it was given
// (handle 1 for every script, no wreck). Append Lua to it to redefine what a test needs.
#pragma once

#include <fstream>
#include <string>

inline const char* const kStubMainScript =
    "function WeaponLoadScript(path) return 1 end function EnemyLoadScript(path) return 1 end\n"
    "function WeaponDoUpdate(h, l, dt, a, b, c) return a, b, c end\n"
    "function EnemyDoUpdate(h, x, y, dt, a, b, c, t) return x, y, a, b, c end\n"
    "function EnemyOnHit(h, x, y, health, damage, a, b, c, t) return health - damage, a, b, c end\n"
    "function EnemyOnDeath(h, x, y, a, b, c, t) return false end function Update(x, y, dt) end\n";

// Writes the stub followed by `more` to `path`; returns `path`.
inline std::string WriteStubMainScript(const std::string& path, const std::string& more)
{
    std::ofstream(path, std::ios::binary) << kStubMainScript << more;
    return path;
}
