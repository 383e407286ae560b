#pragma once
// Canonical Huffman decoding table for the LHA static-Huffman methods: codes of up to 16 bits,
// assigned shortest first and, within a length, by symbol order. A table may be incomplete
// (an unassigned code is a data error when met) but never over-subscribed.
#include "BitReader.h"

#include <cstdint>
#include <vector>

namespace lha::detail {

class HuffmanTable {
  public:
    static constexpr int kMaxLength = 16;

    // `lookup_bits` is the width of the direct table (codes no longer than it take one step).
    HuffmanTable(int symbols, int lookup_bits);

    // Builds from code lengths (0 = unused). Throws CorruptData on an over-subscribed set or when
    // no symbol has a code.
    void build(const std::uint8_t* lengths);
    // Every code decodes to `symbol` without consuming bits (the format's single-symbol table).
    void build_single(int symbol);

    // Decodes one symbol; the reader must hold at least 16 bits.
    int decode(BitReader& in) const {
        std::uint32_t top = in.peek(kMaxLength);
        std::uint16_t e = table_[top >> (kMaxLength - bits_)];
        if (e >= kEntryLengthUnit) {
            in.skip(e >> kEntryShift);
            return e & kEntrySymbolMask;
        }
        return decode_slow(in, top);
    }

  private:
    static constexpr int kEntryShift = 10;
    static constexpr std::uint16_t kEntryLengthUnit = 1u << kEntryShift;
    static constexpr std::uint16_t kEntrySymbolMask = kEntryLengthUnit - 1;

    int decode_slow(BitReader& in, std::uint32_t top) const;

    int symbols_;
    int bits_;
    std::vector<std::uint16_t> table_;
    std::vector<std::uint16_t> sorted_;         // symbols by (length, symbol)
    std::uint32_t first_[kMaxLength + 2] = {};  // first canonical code of each length
    std::uint32_t count_[kMaxLength + 2] = {};
    std::uint32_t offset_[kMaxLength + 2] = {};  // index in sorted_ of each length's first symbol
    int single_ = -1;
};

}  // namespace lha::detail
