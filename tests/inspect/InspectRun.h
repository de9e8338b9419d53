#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

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

inline void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
