#include "FileOnStandardOutput.h"

#include <unistd.h>

#include <cstdio>

FileOnStandardOutput::FileOnStandardOutput()
{
    std::fflush(stdout);
    file_ = dup(STDOUT_FILENO);
    if (file_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
}

FileOnStandardOutput::~FileOnStandardOutput()
{
    if (file_ < 0) return;
    std::fflush(stdout);
    dup2(file_, STDOUT_FILENO);
    close(file_);
}
