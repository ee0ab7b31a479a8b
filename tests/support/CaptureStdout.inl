#include <gtest/gtest.h>
#include <cstdio>

template <typename F>
std::string CaptureStdout(F&& body)
{
    fflush(stdout);
    ::testing::internal::CaptureStdout();
    body();
    fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}
