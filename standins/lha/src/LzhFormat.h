#pragma once
// Constants of the -lh4- .. -lh7- bit stream: LZSS with a sliding dictionary and static Huffman
// blocks. A block holds a 16-bit symbol count, a code-length table for the code lengths (NT
// symbols), the literal/length code lengths (NC symbols), the position-class code lengths (NP
// symbols) and then the symbols.
namespace lha::detail {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1;  // literals then lengths 3..256: 510
constexpr int kNT = 19;                               // code-length codes 0..18
constexpr int kCBits = 9;                             // width of the NC count
constexpr int kTBits = 5;                             // width of the NT count
constexpr int kTSpecial = 3;                          // after this many lengths, a 2-bit zero run
constexpr int kMaxBlockSymbols = 0xFFFF;

struct MethodParams {
    int dict_bits;  // 12 (lh4), 13 (lh5), 15 (lh6), 16 (lh7)
    int np() const { return dict_bits + 1; }
    int pbits() const { return dict_bits >= 15 ? 5 : 4; }
};

}  // namespace lha::detail
