#pragma once

#include <string>

// Text from a file (its fields, names, anything it carries), made safe to
// print: control characters, DEL and bytes that are not UTF-8 become \xNN
// escapes, and a backslash is doubled, so that a file cannot move the
// cursor, change colours or retitle the terminal it is reported to.
std::string terminalText(const std::string& text);
