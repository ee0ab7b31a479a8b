// Feeds arbitrary bytes to the level file parser. An accepted file yields
// four non-empty, blank-free paths; a refused one says why.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scene/LevelFile.h"

namespace {

void CheckPath(const std::string& path)
{
    if (path.empty() || path.find_first_of(" \t\r\n\v\f") != std::string::npos || path.find('\0') != std::string::npos)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LevelFile level;
    std::string error;
    if (LevelFile::Parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", level, error)) {
        CheckPath(level.enemyTypesPath);
        CheckPath(level.enemiesPath);
        CheckPath(level.bulletTypesPath);
        CheckPath(level.heightmapPath);
    } else if (error.empty()) {
        abort();
    }
    return 0;
}
