#include "game/RecordReader.h"

#include <climits>
#include <vector>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool RecordReader::NextLine(std::string& line)
{
    line.clear();
    if (!std::getline(in, line))
        return false;
    ++lineNumber;
    return true;
}

bool RecordReader::NextRecordStart(std::string& line)
{
    while (NextLine(line)) {
        if (line[0] != '#' && !IsBlank(line))
            return true;
    }
    return false;
}

std::string RecordReader::FirstWord(const std::string& line)
{
    size_t start = 0;
    while (start < line.size() && IsSpace(line[start]))
        ++start;
    size_t end = start;
    // A NUL ends the word as it ends a C string.
    while (end < line.size() && !IsSpace(line[end]) && line[end] != '\0' && end - start < kMaxWordLength)
        ++end;
    return line.substr(start, end - start);
}

int RecordReader::ReadInts(const std::string& line, int* values, int count)
{
    for (int i = 0; i < count; ++i)
        values[i] = 0;
    size_t pos = 0;
    int read = 0;
    while (read < count) {
        while (pos < line.size() && IsSpace(line[pos]))
            ++pos;
        bool negative = false;
        if (pos < line.size() && (line[pos] == '+' || line[pos] == '-')) {
            negative = line[pos] == '-';
            ++pos;
        }
        if (pos >= line.size() || line[pos] < '0' || line[pos] > '9')
            break;
        long long value = 0;
        while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
            if (value <= static_cast<long long>(INT_MAX) + 1)
                value = value * 10 + (line[pos] - '0');
            ++pos;
        }
        if (negative)
            value = -value;
        if (value > INT_MAX)
            value = INT_MAX;
        if (value < INT_MIN)
            value = INT_MIN;
        values[read++] = static_cast<int>(value);
    }
    return read;
}

std::string RecordReader::CheckInts(const std::string& line, int count, const char* const* names)
{
    std::string problem;
    size_t pos = 0;
    for (int i = 0; i < count && problem.empty(); ++i) {
        while (pos < line.size() && IsSpace(line[pos]))
            ++pos;
        const size_t start = pos;
        while (pos < line.size() && !IsSpace(line[pos]))
            ++pos;
        const std::string field = line.substr(start, pos - start);
        if (field.empty()) {
            problem = std::string(names[i]) + " is missing";
            break;
        }
        size_t digits = (field[0] == '+' || field[0] == '-') ? 1 : 0;
        const size_t first = digits;
        while (digits < field.size() && field[digits] >= '0' && field[digits] <= '9')
            ++digits;
        const std::string quoted = "\"" + field.substr(0, field.find('\0')) + "\"";
        if (digits == first) {
            problem = std::string(names[i]) + " " + quoted + " is not a number";
        } else if (digits < field.size()) {
            problem = std::string(names[i]) + " " + quoted + " has characters after its digits";
        } else {
            long long value = 0;
            for (size_t d = first; d < field.size() && value <= INT_MAX; ++d)
                value = value * 10 + (field[d] - '0');
            if (field[0] == '-' ? -value < INT_MIN : value > INT_MAX)
                problem = std::string(names[i]) + " " + quoted + " is out of range";
        }
    }
    if (problem.empty())
        return problem;
    std::vector<int> values(static_cast<size_t>(count));
    ReadInts(line, values.data(), count);
    problem += count == 1 ? "; it reads as" : "; the line reads as";
    for (int value : values)
        problem += " " + std::to_string(value);
    return problem;
}

bool RecordReader::IsBlank(const std::string& line)
{
    for (char c : line)
        if (!IsSpace(c))
            return false;
    return true;
}
