// The level file: optional "#" comment lines at the top, then the level's
// width and length as two integers on one line, then one path per line for
// the enemy types, the enemy timeline, the bullet types and the heightmap.
// Lines after the fifth data line are ignored. Parsing needs no game objects,
// so World::LoadLevel parses first and only then calls the sub-loaders.
#pragma once

#include <string>

class LevelFile {
public:
    virtual ~LevelFile() = default;

    // Reads the text of a level file. On failure returns false and puts in
    // `error` what is wrong, naming `name` and the line.
    static bool Parse(const std::string& text, const std::string& name, LevelFile& level, std::string& error);

    int width = 0;
    int length = 0;
    std::string enemyTypesPath;
    std::string enemiesPath;
    std::string bulletTypesPath;
    std::string heightmapPath;
    // A problem that does not stop the load (the numbers are used as read),
    // in the same words as `error`; empty when there is none.
    std::string warning;
};
