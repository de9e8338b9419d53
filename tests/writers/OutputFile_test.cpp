// What happens to the target's folder between open() and commit(): a name
// that became a folder makes the rename fail, which is a failure like any
// other; a folder moved away still receives the file.
#include "writers/OutputFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

const std::string kContents = "the whole file";

std::string freshFolder(const std::string& name)
{
    const std::string dir = testTempDir() + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeContents(OutputFile& out)
{
    ASSERT_TRUE(out.open()) << out.error();
    std::fputs(kContents.c_str(), out.stream());
}

}  // namespace

TEST(OutputFile, ARenameThatFailsFailsTheCommitAndRemovesTheTemporaryFile)
{
    const std::string dir = freshFolder("taken");
    OutputFile out(dir + "/card.png");
    ASSERT_NO_FATAL_FAILURE(writeContents(out));
    std::filesystem::create_directory(dir + "/card.png");
    std::fclose(std::fopen((dir + "/card.png/kept").c_str(), "w"));

    EXPECT_FALSE(out.commit());
    EXPECT_EQ(out.error(), "Is a directory");
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"card.png"});
    EXPECT_EQ(filesIn(dir + "/card.png"), std::vector<std::string>{"kept"});
}

TEST(OutputFile, AFolderMovedBeforeTheCommitReceivesTheFile)
{
    const std::string dir = freshFolder("moved");
    std::filesystem::create_directory(dir + "/before");
    OutputFile out(dir + "/before/card.png");
    ASSERT_NO_FATAL_FAILURE(writeContents(out));
    std::filesystem::rename(dir + "/before", dir + "/after");

    EXPECT_TRUE(out.commit()) << out.error();
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"after"});
    EXPECT_EQ(filesIn(dir + "/after"), std::vector<std::string>{"card.png"});
    EXPECT_EQ(readFile(dir + "/after/card.png"), kContents);
}
