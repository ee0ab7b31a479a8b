#include "core/Problems.h"

#include <map>

namespace Problems {

namespace {

// Past this many distinct messages the rest are only counted, so a script
// that fails with a new text every frame cannot grow the list without end.
const size_t kMaxDistinct = 1000;

struct Log {
    std::vector<Entry> entries;
    std::map<std::pair<Kind, std::string>, size_t> index;
    int counts[2] = {0, 0};
};

Log& TheLog()
{
    static Log log;
    return log;
}

}  // namespace

void Report(Kind kind, const std::string& message)
{
    Log& log = TheLog();
    ++log.counts[kind == Kind::Script];
    const auto key = std::make_pair(kind, message);
    if (auto found = log.index.find(key); found != log.index.end()) {
        ++log.entries[found->second].count;
        return;
    }
    if (log.entries.size() >= kMaxDistinct)
        return;
    log.index.emplace(key, log.entries.size());
    log.entries.push_back({kind, message, 1});
}

const std::vector<Entry>& List()
{
    return TheLog().entries;
}

int Count(Kind kind)
{
    return TheLog().counts[kind == Kind::Script];
}

void Clear()
{
    TheLog() = Log();
}

}  // namespace Problems
