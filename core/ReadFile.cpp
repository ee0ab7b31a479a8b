#include "core/ReadFile.h"

#include <cstdio>

bool ReadWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return true;
}
