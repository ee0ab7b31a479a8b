#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "game/RecordReader.h"

namespace {

TEST(RecordReaderTest, ReadsIntegersTheWayAScanDoes)
{
    struct Case {
        const char* line;
        int read;
        int a, b, c;
    } cases[] = {
        {"100 3000 7", 3, 100, 3000, 7},
        {"  -5\t+6  7\r", 3, -5, 6, 7},
        {"12abc 5", 1, 12, 0, 0},
        {"abc", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},
        {"1,2,3", 1, 1, 0, 0},
        {"99999999999 -99999999999 2147483647", 3, INT_MAX, INT_MIN, INT_MAX},
        {"-2147483648", 1, INT_MIN, 0, 0},
        {"- 5", 0, 0, 0, 0},
        {"8 9", 2, 8, 9, 0},  // what is missing reads as 0
    };
    for (const Case& c : cases) {
        int values[3] = {-1, -1, -1};
        const int read = RecordReader::ReadInts(c.line, values, 3);
        EXPECT_EQ(::testing::PrintToString(std::vector<int>{c.read, c.a, c.b, c.c}),
                  ::testing::PrintToString(std::vector<int>{read, values[0], values[1], values[2]})) << c.line;
    }
}

TEST(RecordReaderTest, TakesTheFirstWordCutTo127Characters)
{
    const std::string longWord(300, 'x');
    struct Case {
        std::string line, word;
    } cases[] = {
        {"grunt", "grunt"},
        {"  grunt  extra words", "grunt"},
        {"grunt\r", "grunt"},
        {"\tdata/models/a.obj", "data/models/a.obj"},
        {"", ""},
        {"   ", ""},
        {longWord + " tail", std::string(127, 'x')},
        {std::string("ab\0cd", 5), "ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.word, RecordReader::FirstWord(c.line)) << c.line;
}

}  // namespace
