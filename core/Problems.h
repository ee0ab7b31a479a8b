// The one path for everything that went wrong while loading or scripting.
// Each problem is printed where players and modders look for it (load
// problems on standard output, indented like the loader's own lines; script
// errors on standard error) and counted. Each distinct message is kept once
// with how often it came, so the check tool can list them, the on-screen
// notice can show the latest, and a run can tell whether anything went wrong.
//
// Main thread only, like everything that loads or runs scripts.
#pragma once

#include <string>
#include <vector>

namespace Problems {

enum class Kind { Load, Script };

struct Entry {
    Kind kind;
    std::string message;
    int count;
};

// A load problem: `indent` spaces, then the message, on standard output.
// Printed every time, so it stands beside the loader line it explains.
void Load(int indent, const std::string& message);
// The usual shape of a load problem: "<file>:<line>: <what>" (line > 0) or
// "<file>: <what>".
void Load(int indent, const std::string& file, int line, const std::string& what);
// A script error, on standard error; a message that came before is only
// counted again, so an error repeated every frame prints once.
void Script(const std::string& message);

// Distinct messages in the order they first came.
const std::vector<Entry>& List();
// Distinct problems so far, of both kinds or of one; a distinct message past
// the kept ones still counts.
int Count();
int Count(Kind kind);
// The latest distinct message (empty when there was none).
const std::string& Latest();
// Back to no problems; for tools and tests that run several loads in a row.
void Reset();

}  // namespace Problems
