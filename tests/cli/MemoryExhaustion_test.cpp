// A failed allocation anywhere in a run ends it with a message and status 1,
// never an abort. Every allocation of the program goes through the operator
// new below, which can be made to fail after a given number of them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "PatternRender.h"
#include "patterns/pm5544/philips-PM5544-2si-num-new.h"
#include "support/TempDir.h"

// The replacements below pair malloc with free, as they must.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {

std::atomic<long> allocationsLeft{-1};  // negative: no limit

}  // namespace

void* operator new(std::size_t size)
{
    if (allocationsLeft.load() >= 0 && allocationsLeft.fetch_sub(1) <= 0) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

// Runs the program's driver in this process with allocations failing after
// `allowed` of them; returns its status and what it wrote on standard error.
std::pair<int, std::string> runFailingAfter(long allowed, const std::vector<std::string>& args)
{
    std::vector<std::string> words = {"pm5544"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    PhilipsPm5544Spec pattern;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    allocationsLeft = allowed;
    const int status = PatternRender::renderPattern(static_cast<int>(argv.size()), argv.data(), pattern);
    allocationsLeft = -1;
    testing::internal::GetCapturedStdout();
    return {status, testing::internal::GetCapturedStderr()};
}

}  // namespace

TEST(MemoryExhaustion, EveryFailedAllocationEndsTheRunWithAMessage)
{
    const std::string dir = testTempDir();
    for (const std::vector<std::string>& settings :
         {std::vector<std::string>{"-c", "709", "-s", "422", "-b", "10", dir + "/card.png"},
          {"-c", "PQ", dir + "/card.tif"},
          {"-c", "RGB-headroom", dir + "/card.xyz"}}) {
        std::vector<std::string> args = {"-d", "128x72"};
        args.insert(args.end(), settings.begin(), settings.end());
        // Fail the first allocations one by one, then ever further in, until the run needs no more.
        long allowed = 0;
        for (;; allowed += allowed < 200 ? 1 : 1 + allowed / 8) {
            const auto [status, err] = runFailingAfter(allowed, args);
            if (status == 0) break;
            ASSERT_EQ(status, 1) << allowed;
            ASSERT_EQ(err, "Error: not enough memory for a 128x72 card\n") << settings.back() << " " << allowed;
        }
        EXPECT_GT(allowed, 200) << "a run needs more allocations than that";
    }
}
