#include "scene/LevelFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d": leading white space, optional sign, digits, within int range.
bool ReadInt(const char*& p, int& value)
{
    const char* s = p;
    while (IsSpace(*s))
        ++s;
    if (!(*s >= '0' && *s <= '9') && !((*s == '-' || *s == '+') && s[1] >= '0' && s[1] <= '9'))
        return false;
    char* end = nullptr;
    errno = 0;
    long v = strtol(s, &end, 10);
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    p = end;
    return true;
}

// One "%s": the first run of non-blank characters.
std::string FirstWord(const std::string& line)
{
    size_t begin = 0;
    while (begin < line.size() && IsSpace(line[begin]))
        ++begin;
    size_t end = begin;
    while (end < line.size() && !IsSpace(line[end]) && line[end] != '\0')
        ++end;
    return line.substr(begin, end - begin);
}

}  // namespace

bool LevelFile::Parse(const std::string& text, const std::string& name, LevelFile& level, std::string& error)
{
    std::string& warning = level.warning;
    warning.clear();
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    // Comments only before the first data line; later a "#" line is data.
    size_t at = 0;
    while (at < lines.size() && !lines[at].empty() && lines[at][0] == '#')
        ++at;
    if (at == lines.size()) {
        error = "level file " + name + " has no size line";
        return false;
    }
    const std::string sizeLine = lines[at].substr(0, lines[at].find('\0'));
    const char* p = sizeLine.c_str();
    if (!ReadInt(p, level.width) || !ReadInt(p, level.length)) {
        error = "level file " + name + " line " + std::to_string(at + 1) +
                ": expected the level width and length as two integers";
        return false;
    }
    // The two numbers are used as read, but a field that runs on past its
    // digits ("43999x") is most likely a typing mistake worth a line.
    if (*p != '\0' && !IsSpace(*p)) {
        const char* end = p;
        while (*end != '\0' && !IsSpace(*end))
            ++end;
        const char* start = p;
        while (start > sizeLine.c_str() && !IsSpace(start[-1]))
            --start;
        warning = "level file " + name + " line " + std::to_string(at + 1) + ": length \"" +
                  std::string(start, end) + "\" has characters after its digits; it reads as " +
                  std::to_string(level.length);
    }

    struct PathLine {
        std::string* path;
        const char* what;
    };
    const PathLine paths[] = {
        {&level.enemyTypesPath, "enemy type file"},
        {&level.enemiesPath, "enemy timeline file"},
        {&level.bulletTypesPath, "bullet type file"},
        {&level.heightmapPath, "heightmap file"},
    };
    for (const PathLine& entry : paths) {
        ++at;
        std::string word = at < lines.size() ? FirstWord(lines[at]) : std::string();
        if (word.empty()) {
            error = "level file " + name + " line " + std::to_string(at + 1) + ": missing the " + entry.what +
                    " path";
            return false;
        }
        *entry.path = word;
    }
    return true;
}
