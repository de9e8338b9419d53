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

// The inspector reading `inputPath` as its standard input, within `memoryLimit`
// bytes of address space when that is 0 or more.
inline ProgramRun inspectWith(const std::vector<std::string>& args, const std::string& inputPath,
                              long long memoryLimit = -1)
{
    ProgramSetting setting;
    setting.cwd = testTempDir();
    setting.programPath = PM5544_INSPECT_BIN;
    setting.inputPath = inputPath;
    setting.memoryLimit = memoryLimit;
    return runProgram(args, setting);
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
