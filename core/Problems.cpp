#include "core/Problems.h"

#include <cstdio>
#include <map>

namespace Problems {

namespace {

// Past this many distinct messages the rest are only counted, so a script
// that fails with a new text every frame can neither grow the list without
// end nor flood the console.
const size_t kMaxDistinct = 100;

struct Log {
    std::vector<Entry> entries;
    std::map<std::pair<Kind, std::string>, size_t> index;
    int counts[2] = {0, 0};
    std::string latest;
    bool full = false;
};

Log& TheLog()
{
    static Log log;
    return log;
}

int Slot(Kind kind)
{
    return kind == Kind::Script ? 1 : 0;
}

enum class Seen { New, Repeat, Dropped };

Seen Note(Kind kind, const std::string& message)
{
    Log& log = TheLog();
    const auto key = std::make_pair(kind, message);
    if (auto found = log.index.find(key); found != log.index.end()) {
        ++log.entries[found->second].count;
        return Seen::Repeat;
    }
    ++log.counts[Slot(kind)];
    log.latest = message;
    if (log.entries.size() >= kMaxDistinct) {
        if (!log.full) {
            log.full = true;
            fflush(stdout);
            fprintf(stderr, "%zu distinct problems reported, further ones are only counted\n", kMaxDistinct);
        }
        return Seen::Dropped;
    }
    log.index.emplace(key, log.entries.size());
    log.entries.push_back({kind, message, 1});
    return Seen::New;
}

}  // namespace

void Load(int indent, const std::string& message)
{
    if (Note(Kind::Load, message) != Seen::Dropped)
        printf("%*s%s\n", indent, "", message.c_str());
}

void Load(int indent, const std::string& file, int line, const std::string& what)
{
    if (line > 0)
        Load(indent, file + ":" + std::to_string(line) + ": " + what);
    else
        Load(indent, file + ": " + what);
}

void Script(const std::string& message)
{
    if (Note(Kind::Script, message) != Seen::New)
        return;
    // Keeps the two streams in order when both go to one pipe.
    fflush(stdout);
    fprintf(stderr, "%s\n", message.c_str());
}

const std::vector<Entry>& List()
{
    return TheLog().entries;
}

int Count()
{
    return TheLog().counts[0] + TheLog().counts[1];
}

int Count(Kind kind)
{
    return TheLog().counts[Slot(kind)];
}

const std::string& Latest()
{
    return TheLog().latest;
}

void Reset()
{
    TheLog() = Log();
}

}  // namespace Problems
