#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "game/RecordReader.h"

namespace {

TEST(RecordReaderTest, ReadsIntegersTheWayAScanDoesAndTakesTheFirstWordCutTo127Characters)
{
    const struct {
        const char* line;
        std::vector<int> read;  // how many were read, then the three values
    } ints[] = {
        {"  -5\t+6  7\r", {3, -5, 6, 7}},   {"12abc 5", {1, 12, 0, 0}}, {"abc", {0, 0, 0, 0}},
        {"1,2,3", {1, 1, 0, 0}},            {"- 5", {0, 0, 0, 0}},      {"8 9", {2, 8, 9, 0}},
        {"99999999999 -99999999999 2147483647", {3, INT_MAX, INT_MIN, INT_MAX}}, {"-2147483648", {1, INT_MIN, 0, 0}},
    };
    for (const auto& c : ints) {
        int values[3] = {-1, -1, -1};
        const int read = RecordReader::ReadInts(c.line, values, 3);
        EXPECT_EQ(::testing::PrintToString(c.read),
                  ::testing::PrintToString(std::vector<int>{read, values[0], values[1], values[2]})) << c.line;
    }
    const std::pair<std::string, std::string> words[] = {
        {"  grunt  extra words", "grunt"}, {"grunt\r", "grunt"}, {"\tdata/models/a.obj", "data/models/a.obj"},
        {"   ", ""}, {std::string(300, 'x') + " tail", std::string(127, 'x')}, {std::string("ab\0cd", 5), "ab"},
    };
    for (const auto& [line, word] : words)
        EXPECT_EQ(word, RecordReader::FirstWord(line)) << line;
}

}  // namespace
