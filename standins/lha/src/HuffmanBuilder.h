#pragma once
// Length-limited Huffman code construction for the encoder.
#include <cstdint>

namespace lha::detail {

// Fills `lengths` (0 for unused symbols) with a complete prefix code of at most `max_length`
// bits for the given frequencies. Returns the number of used symbols; with exactly one used
// symbol its length is 0 (the format has a separate single-symbol form).
int build_code_lengths(const std::uint32_t* freq, int n, int max_length, std::uint8_t* lengths);

// Canonical codes for the lengths: shortest first, by symbol within a length.
void build_codes(const std::uint8_t* lengths, int n, std::uint16_t* codes);

}  // namespace lha::detail
