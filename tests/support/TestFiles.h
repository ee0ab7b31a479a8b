// Scratch files for tests: each TempDir is a fresh directory removed when the
// object goes out of scope.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Path with a trailing slash, the way the resource managers take it.
    const std::string& Path() const { return path; }
    // Writes `contents` to Path() + name and returns the full path.
    std::string Write(const std::string& name, const std::string& contents) const;
    std::string Write(const std::string& name, const std::vector<unsigned char>& contents) const;

private:
    std::string path;
};

// Runs `body` with stdout captured and returns what it printed.
template <typename F>
std::string CaptureStdout(F&& body)
{
    fflush(stdout);
    ::testing::internal::CaptureStdout();
    body();
    fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

std::string ReadFile(const std::string& path);
