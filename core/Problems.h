// The one path for everything that went wrong while loading or scripting:
// each problem is printed where players and modders look for it (loader
// problems on standard output, indented like the loader's own lines; script
// errors on standard error) and counted, and the latest one is kept for the
// on-screen notice and the check tool. Callers decide what is worth saying
// once; everything passed here is printed and counted.
//
// Main thread only, like everything that loads or runs scripts.
#pragma once

#include <string>

namespace Problems {

// A load problem: `indent` spaces, then the message, on standard output.
void Load(int indent, const std::string& message);
// The usual shape of a load problem: "<file>:<line>: <what>" (line > 0) or
// "<file>: <what>".
void Load(int indent, const std::string& file, int line, const std::string& what);
// A script error, on standard error.
void Script(const std::string& message);

// Problems reported so far, and the latest message (without indentation).
int Count();
const std::string& Latest();
// Back to no problems; for tools and tests that run several loads in a row.
void Reset();

}  // namespace Problems
