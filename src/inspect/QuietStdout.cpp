#include "inspect/QuietStdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

QuietStdout::QuietStdout()
{
    std::fflush(stdout);
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0) return;  // nothing to send it to: the progress stays visible
    saved_ = dup(STDOUT_FILENO);
    if (saved_ >= 0) dup2(null, STDOUT_FILENO);
    close(null);
}

QuietStdout::~QuietStdout()
{
    if (saved_ < 0) return;
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
}
