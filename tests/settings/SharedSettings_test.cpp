// pm5544 and pm5544-inspect read the card options the same way and refuse
// the same settings in the same words: a file rendered with some options is
// compared with the card rendered with exactly those options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> plus(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

ProgramRun inspect(const std::vector<std::string>& args)
{
    return runProgram(args, testTempDir(), PM5544_INSPECT_BIN);
}

}  // namespace

TEST(SharedSettings, WhatPm5544RendersTheInspectorComparesWith)
{
    struct Case {
        std::vector<std::string> options;
        const char* name;
    };
    const Case cases[] = {
        {{"-d", "1920x1080", "-a", "1920x1080", "-c", "709"}, "gcd.dpx"},
        {{"-d", "180x144", "-a", "4x3", "-c", "601", "-s", "422", "-b", "10"}, "sd.png"},
        {{"-d", "160x90", "-a", "32x18", "-c", "PQ", "-s", "420", "-b", "8"}, "pq.png"},
        {{"-d", "160x90", "-c", "HLG-Mapped", "-b", "10", "-fr"}, "hlg.tif"},
        {{"-d", "128x72", "-a", "16", "-c", "RGB-headroom"}, "aspect-width-only.png"},
        {{"-d", "120x96", "-c", "709", "-s", "422"}, "card.pat"},
        {{"-d", "120x96", "-c", "RGB-S-Log3", "-s", "422", "-b", "10"}, "rgb-hdr.dpx"},
        {{"-d", "96x54", "-c", "2021", "-c", "709", "-c", "2021"}, "unchanged.yc4"},
    };
    for (const Case& c : cases) {
        const std::string file = renderWithPm5544(c.options, c.name);
        const ProgramRun run = inspect(plus(c.options, {"--compare", file}));
        EXPECT_EQ(run.status, 0) << c.name << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find("result: identical\n"), std::string::npos) << c.name << "\n" << run.out;
    }
}

TEST(SharedSettings, RefusedInTheSameWords)
{
    struct Case {
        std::vector<std::string> options;
        const char* reason;
    };
    const Case cases[] = {
        {{"-b", "7"}, "Bit depth 7 is not supported (use 8 to 16)"},
        {{"-b", "17"}, "Bit depth 17 is not supported (use 8 to 16)"},
        {{"-d", "3x10"}, "Image size 3x10 is not supported (at least 4x1)"},
        {{"-d", "64x0"}, "Image size 64x0 is not supported (at least 4x1)"},
        {{"-a", "16x-9"}, "Aspect ratio 16:-9 is not supported (two positive numbers)"},
        {{"-d", "7772x2160", "-a", "256x135"}, "Image size 7772x2160 with aspect 256:135 is too large"},
        {{"-d", "100000x100000"}, "Image size 100000x100000 with aspect 16:9 is too large"},
    };
    const std::string file = renderWithPm5544({"-d", "64x36"}, "small.png");
    for (const Case& c : cases) {
        const ProgramRun rendered = runProgram(plus(c.options, {"card.png"}), testTempDir());
        EXPECT_EQ(rendered.status, 1);
        EXPECT_EQ(rendered.err, std::string("Error: ") + c.reason + "\n");

        const ProgramRun compared = inspect(plus(c.options, {"--compare", file}));
        EXPECT_EQ(compared.status, 2) << c.reason;
        const std::string tail = std::string(": ") + c.reason + "\n";
        ASSERT_GE(compared.err.size(), tail.size()) << compared.err;
        EXPECT_EQ(compared.err.substr(compared.err.size() - tail.size()), tail) << compared.err;
    }
    // An unknown colour space stops both at once.
    EXPECT_EQ(runProgram({"-c", "Rec.709", "card.png"}, testTempDir()).err,
              "Error: Unrecognised Colour Space Rec.709\n");
    EXPECT_NE(inspect({"-c", "Rec.709", "--compare", file}).err.find("Unrecognised Colour Space Rec.709\n"),
              std::string::npos);
}
