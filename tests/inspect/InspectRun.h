#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

// Renders a file with pm5544 in the test's folder; returns its path.
inline std::string renderWithPm5544(const std::vector<std::string>& options, const std::string& name)
{
    const std::string dir = testTempDir();
    std::vector<std::string> args = options;
    args.push_back(name);
    const ProgramRun run = runProgram(args, dir);
    EXPECT_EQ(run.status, 0) << name << ": " << run.out << run.err;
    return dir + "/" + name;
}

inline ProgramRun inspect(const std::vector<std::string>& args)
{
    return runProgram(args, testTempDir(), PM5544_INSPECT_BIN);
}

// The options followed by one more argument.
inline std::vector<std::string> with(std::vector<std::string> options, const std::string& last)
{
    options.push_back(last);
    return options;
}
