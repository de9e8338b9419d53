#include "FuzzScratch.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace FuzzScratch {

namespace {

std::string made;

void removeFolder()
{
    if (made.empty()) return;
    empty();
    rmdir(made.c_str());
}

}  // namespace

const std::string& folder()
{
    if (!made.empty()) return made;
    // Files are made and removed for every input: memory-backed /dev/shm
    // keeps that cheap where $TMPDIR does not name another place.
    const char* base = std::getenv("TMPDIR");
    std::string folderBase = base != nullptr && *base != '\0' ? base : "/tmp";
    if ((base == nullptr || *base == '\0') && access("/dev/shm", W_OK) == 0) folderBase = "/dev/shm";
    std::string pattern = folderBase + "/pm5544-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("pm5544 fuzz: cannot make a scratch folder");
        std::abort();
    }
    made = pattern;
    std::atexit(removeFolder);
    return made;
}

void empty()
{
    // Names are gathered first: a folder changed while it is read may skip entries.
    std::vector<std::string> names;
    DIR* dir = opendir(folder().c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    for (const std::string& name : names) unlink((folder() + "/" + name).c_str());
}

void silenceStdout()
{
    std::fflush(stdout);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::perror("pm5544 fuzz: cannot send standard output to /dev/null");
        std::abort();
    }
}

}  // namespace FuzzScratch
