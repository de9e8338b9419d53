#pragma once

#include <string>

// Bytes as base64 text (RFC 4648, with padding), for a data: URI.
std::string base64(const std::string& bytes);
