#pragma once

#include <string>
#include <vector>

// Every kind of file pm5544 writes, each with settings that kind takes.
struct WrittenKind {
    std::string extension;
    std::vector<std::string> settings;
};

inline const std::vector<WrittenKind> kEveryWrittenKind = {
    {"png", {"-c", "709", "-s", "422", "-b", "10"}},
    {"tif", {"-c", "PQ", "-b", "10"}},
    {"dpx", {"-c", "709", "-s", "422", "-b", "10"}},
    {"pat", {"-c", "709", "-s", "422"}},
    {"yc4", {"-c", "HLG"}},
    {"rgb", {"-c", "RGB-headroom"}},
    {"xyz", {"-c", "RGB-PQ"}},
    {"y4m", {"-c", "709", "-s", "420", "-b", "10"}},
};
