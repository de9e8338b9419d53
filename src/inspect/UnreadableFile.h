#pragma once

#include <stdexcept>
#include <string>

// A file pm5544-inspect cannot read at all: not one of the kinds pm5544
// writes, or a header it cannot make sense of. The text says what was wrong.
class UnreadableFile : public std::runtime_error {
public:
    explicit UnreadableFile(const std::string& reason) : std::runtime_error(reason) {}
};
