// Reads the game's line-based data files (bullet types, enemy types, the
// enemy timeline): records of a fixed number of lines, with any number of
// lines starting with '#' allowed before a record's first line (inside a
// record every line is data). Blank lines there are skipped too: a record's
// first line is a word, which a blank line cannot hold, so a trailing empty
// line is not taken for a record. Lines of any length and any bytes are read
// safely; values are taken the way a "%s" or "%d" scan would take them.
#pragma once

#include <istream>
#include <string>

class RecordReader {
public:
    static const size_t kMaxWordLength = 127;

    explicit RecordReader(std::istream& in) : in(in) {}

    // The next line that is neither blank nor starts with '#'; false at end of file.
    bool NextRecordStart(std::string& line);
    // The next line, whatever it holds; false at end of file.
    bool NextLine(std::string& line);
    // The 1-based number of the line read last (0 before the first).
    int LineNumber() const { return lineNumber; }

    // The line's first whitespace-delimited word, cut to 127 characters;
    // empty for a blank line.
    static std::string FirstWord(const std::string& line);
    // Reads up to `count` decimal integers the way "%d %d" does: it stops at
    // the first thing that is not one. Values not read are set to 0; values
    // beyond the int range are held at its ends. Returns how many were read.
    static int ReadInts(const std::string& line, int* values, int count);
    // What is wrong with the first `count` fields of a line read with
    // ReadInts, in words, naming the field (`names` holds `count` names):
    // a field missing, not a number, with characters after its digits, or
    // out of range; then what the line reads as. Empty when the fields are
    // whole integers. Fields after the first `count` are not looked at.
    static std::string CheckInts(const std::string& line, int count, const char* const* names);
    // True when the line holds nothing but whitespace.
    static bool IsBlank(const std::string& line);

private:
    std::istream& in;
    int lineNumber = 0;
};
