#include "support/TempDir.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

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

std::string emptyTempDir()
{
    const std::string dir = testTempDir();
    for (const std::string& name : filesIn(dir)) std::remove((dir + "/" + name).c_str());
    return dir;
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(d);
    }
    return names;
}
