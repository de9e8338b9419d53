#include "writers/OrderedWorker.h"

#include <gtest/gtest.h>

#include <vector>

TEST(OrderedWorker, RunsTasksInTheOrderPosted)
{
    std::vector<int> ran;
    OrderedWorker worker(2);
    for (int i = 0; i < 50; ++i) worker.post([&ran, i] { ran.push_back(i); });
    worker.wait();
    std::vector<int> expected(50);
    for (int i = 0; i < 50; ++i) expected[i] = i;
    EXPECT_EQ(expected, ran);
}
