// Silences standard output while it lives: the loaders print a line per
// record, which would drown a fuzz replay's or a benchmark's own report.
#pragma once

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

class QuietStdout {
public:
    QuietStdout()
    {
        static const int null = open("/dev/null", O_WRONLY);
        fflush(stdout);
        saved = dup(1);
        dup2(null, 1);
    }
    ~QuietStdout()
    {
        fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};
