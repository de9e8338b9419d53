#include "inspect/TerminalText.h"

#include <cstdio>

namespace {

constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstPrintable = 0x20;

// The length of the UTF-8 sequence that starts at `i`, or 0 when it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    }
    // C1 controls (U+0080 to U+009F) act on terminals too.
    if (lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return 0;
    return length;
}

}  // namespace

std::string terminalText(const std::string& text)
{
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= kFirstPrintable && c < kDelete) {
            if (c == '\\') safe += '\\';
            safe += static_cast<char>(c);
            ++i;
            continue;
        }
        const std::size_t length = c > kDelete ? utf8Length(text, i) : 0;
        if (length > 0) {
            safe.append(text, i, length);
            i += length;
            continue;
        }
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\x%02x", c);
        safe += escape;
        ++i;
    }
    return safe;
}
