#pragma once

#include <cstddef>
#include <cstring>
#include <string>

// Reads fixed-position fields out of a file's bytes, numbers in this host's
// byte order; out-of-range offsets read as zero.
template <typename T>
T hostField(const std::string& bytes, std::size_t offset)
{
    T value{};
    if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A zero-terminated text inside a field of `size` bytes; "<unterminated>" when
// the field holds no terminator.
inline std::string textField(const std::string& bytes, std::size_t offset, std::size_t size)
{
    const std::string field = bytes.substr(offset, size);
    const std::size_t end = field.find('\0');
    return end == std::string::npos ? "<unterminated>" : field.substr(0, end);
}
