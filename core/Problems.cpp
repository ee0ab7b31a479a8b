#include "core/Problems.h"

#include <cstdio>

namespace Problems {

namespace {

struct State {
    int count = 0;
    std::string latest;
};

State& Current()
{
    static State state;
    return state;
}

void Note(const std::string& message)
{
    State& state = Current();
    ++state.count;
    state.latest = message;
}

}  // namespace

void Load(int indent, const std::string& message)
{
    printf("%*s%s\n", indent, "", message.c_str());
    Note(message);
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
    // Keeps the two streams in order when both go to one pipe.
    fflush(stdout);
    fprintf(stderr, "%s\n", message.c_str());
    Note(message);
}

int Count()
{
    return Current().count;
}

const std::string& Latest()
{
    return Current().latest;
}

void Reset()
{
    Current() = State();
}

}  // namespace Problems
