#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

std::string testTempDir()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(leaf.begin(), leaf.end(), '/', '_');
    mkdir(PM5544_TEST_TMP, 0755);
    std::string dir = std::string(PM5544_TEST_TMP) + "/" + leaf;
    mkdir(dir.c_str(), 0755);
    return dir;
}
