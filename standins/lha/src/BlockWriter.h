#pragma once
// Writes one static-Huffman block: symbol count, the three code-length tables, the symbols.
#include "BitWriter.h"
#include "LzhFormat.h"

#include <cstdint>

namespace lha::detail {

// Symbols as the parser makes them: code (0..255 literal, 256.. length) | offset << 10.
inline std::uint32_t literal_symbol(unsigned byte) {
    return byte;
}
inline std::uint32_t match_symbol(int length, unsigned offset) {
    return static_cast<std::uint32_t>(256 + length - kMinMatch) | (offset << 10);
}

// Position class of an offset (distance - 1): 0, 1, then its bit length.
inline int position_class(unsigned offset) {
    return offset ? 32 - __builtin_clz(offset) : 0;
}

// n must be 1..kMaxBlockSymbols.
void write_block(const std::uint32_t* symbols, std::size_t n, MethodParams params, BitWriter& out);

}  // namespace lha::detail
