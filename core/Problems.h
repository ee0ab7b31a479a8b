// Where every problem a modder has to see is counted: a file that does not
// load and a script error. The code that finds a problem prints its own line
// as before and also reports it here, naming the file (and the line where the
// file has lines). Each distinct message is kept once with how often it came,
// so tools can list them and a run can tell whether anything went wrong.
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

void Report(Kind kind, const std::string& message);
// Distinct messages in the order they first came.
const std::vector<Entry>& List();
// Reports of this kind, repeats included.
int Count(Kind kind);
// Forgets everything reported; a new run starts clean.
void Clear();

}  // namespace Problems
