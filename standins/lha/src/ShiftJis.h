#pragma once
// Byte-level helpers for Shift-JIS names: a lead byte and its trail byte form one character, and
// a trail byte may be 0x5C, which then is not a path separator.
#include <string>
#include <string_view>
#include <vector>

namespace lha::detail {

inline bool is_sjis_lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Splits at separators ('\\' and '/' outside double-byte characters, and 0xFF).
std::vector<std::string> split_path(std::string_view name);
// Joins with '\\'.
std::string join_path(const std::vector<std::string>& parts, std::size_t count);

}  // namespace lha::detail
