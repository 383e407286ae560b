#include "HuffmanTable.h"

#include <algorithm>

namespace lha::detail {

HuffmanTable::HuffmanTable(int symbols, int lookup_bits)
    : symbols_(symbols),
      bits_(lookup_bits),
      table_(std::size_t{1} << lookup_bits),
      sorted_(static_cast<std::size_t>(symbols)) {}

void HuffmanTable::build_single(int symbol) {
    single_ = symbol;
    // Length 0 entries are taken by decode() as "slow path"; decode_slow returns the symbol.
    std::fill(table_.begin(), table_.end(), std::uint16_t{0});
}

void HuffmanTable::build(const std::uint8_t* lengths) {
    single_ = -1;
    std::fill(std::begin(count_), std::end(count_), 0u);
    for (int s = 0; s < symbols_; ++s) {
        if (lengths[s] > kMaxLength) throw Error(ErrorCode::CorruptData, "Huffman code length out of range");
        ++count_[lengths[s]];
    }
    count_[0] = 0;
    std::uint32_t code = 0, used = 0, index = 0;
    for (int len = 1; len <= kMaxLength; ++len) {
        first_[len] = code;
        offset_[len] = index;
        index += count_[len];
        used += count_[len] << (kMaxLength - len);
        code = (code + count_[len]) << 1;
    }
    if (used > (1u << kMaxLength)) throw Error(ErrorCode::CorruptData, "over-subscribed Huffman table");
    if (used == 0) throw Error(ErrorCode::CorruptData, "empty Huffman table");

    std::uint32_t fill[kMaxLength + 2];
    std::copy(std::begin(offset_), std::end(offset_), std::begin(fill));
    for (int s = 0; s < symbols_; ++s)
        if (lengths[s] != 0) sorted_[fill[lengths[s]]++] = static_cast<std::uint16_t>(s);

    std::fill(table_.begin(), table_.end(), std::uint16_t{0});
    for (int len = 1; len <= bits_; ++len) {
        for (std::uint32_t k = 0; k < count_[len]; ++k) {
            std::uint32_t c = first_[len] + k;
            std::uint16_t sym = sorted_[offset_[len] + k];
            std::uint32_t lo = c << (bits_ - len), n = 1u << (bits_ - len);
            std::uint16_t e = static_cast<std::uint16_t>((len << kEntryShift) | sym);
            std::fill(table_.begin() + lo, table_.begin() + lo + n, e);
        }
    }
}

int HuffmanTable::decode_slow(BitReader& in, std::uint32_t top) const {
    if (single_ >= 0) return single_;
    for (int len = bits_ + 1; len <= kMaxLength; ++len) {
        std::uint32_t c = top >> (kMaxLength - len);
        std::uint32_t k = c - first_[len];
        if (c >= first_[len] && k < count_[len]) {
            in.skip(len);
            return sorted_[offset_[len] + k];
        }
    }
    throw Error(ErrorCode::CorruptData, "invalid Huffman code");
}

}  // namespace lha::detail
