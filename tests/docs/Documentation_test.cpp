// The three descriptions of the command line, --help, the manual page and
// README.md, name every option, colour-space keyword and output extension,
// and the options they describe are the ones the sources match.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Usage.h"
#include "support/RunProgram.h"
#include "tools/ColourKeywords.h"

namespace {

const std::string kManualPage = std::string(PM5544_SOURCE_DIR) + "/docs/pm5544.1";

// The standard output and the exit status of a shell command.
std::string shell(const std::string& command, int& status)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    status = pclose(pipe);
    return out;
}

// The manual page as a reader sees it, in plain ASCII on lines too long to wrap.
std::string renderedManualPage()
{
    int status = 0;
    const std::string text = shell("groff -man -Tascii -P-cbou -rLL=1000n '" + kManualPage + "'", status);
    EXPECT_EQ(status, 0) << "groff failed";
    return text;
}

// `token` stands on its own: not inside a longer option or keyword.
bool mentions(const std::string& text, const std::string& token)
{
    auto partOfWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; };
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + 1)) {
        const std::size_t end = at + token.size();
        if ((at == 0 || !partOfWord(text[at - 1])) && (end == text.size() || !partOfWord(text[end]))) return true;
    }
    return false;
}

// Every option literal ("-b", "-no_compress") in the sources outside the help text itself.
std::set<std::string> optionsMatchedInSources()
{
    const std::regex literal("\"(--?[A-Za-z_][A-Za-z0-9_-]*)\"");
    std::set<std::string> found;
    const std::filesystem::path sources = std::string(PM5544_SOURCE_DIR) + "/src";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sources)) {
        // pm5544-inspect has options of its own (its place in src/, not the checkout's, names it).
        const std::string path = entry.path().lexically_relative(sources).string();
        if (entry.path().extension() != ".cpp" || entry.path().filename() == "Usage.cpp" ||
            path.find("inspect") != std::string::npos)
            continue;
        const std::string code = readFile(entry.path().string());
        for (std::sregex_iterator m(code.begin(), code.end(), literal), end; m != end; ++m) found.insert((*m)[1]);
    }
    return found;
}

}  // namespace

TEST(Documentation, HelpManualPageAndReadmeNameEveryOptionKeywordAndExtension)
{
    const struct {
        const char* name;
        std::string text;
    } documents[] = {
        {"--help", runProgram({"--help"}).out},
        {"docs/pm5544.1", renderedManualPage()},
        {"README.md", readFile(std::string(PM5544_SOURCE_DIR) + "/README.md")},
    };
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < Usage::kOptionCount; ++i) tokens.push_back(Usage::kOptions[i].name);
    for (std::size_t i = 0; i < ColourKeywords::kCount; ++i) tokens.push_back(ColourKeywords::kTable[i].text);
    for (std::size_t i = 0; i < Usage::kOutputKindCount; ++i) tokens.push_back(Usage::kOutputKinds[i].extension);

    for (const auto& document : documents) {
        ASSERT_GT(document.text.size(), 1000u) << document.name;
        for (const std::string& token : tokens)
            EXPECT_TRUE(mentions(document.text, token)) << token << " is missing from " << document.name;
    }
}

TEST(Documentation, OptionTableHoldsExactlyTheOptionsTheDriverMatches)
{
    std::set<std::string> documented;
    for (std::size_t i = 0; i < Usage::kOptionCount; ++i) documented.insert(Usage::kOptions[i].name);
    std::set<std::string> matched = optionsMatchedInSources();
    matched.insert({"--help", "--version"});  // matched in Usage.cpp, next to the table
    EXPECT_EQ(documented, matched);
}

TEST(Documentation, ManualPageFormatsWithoutWarnings)
{
    int status = 0;
    const std::string messages = shell("groff -ww -z -man '" + kManualPage + "' 2>&1", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(messages, "");
}
