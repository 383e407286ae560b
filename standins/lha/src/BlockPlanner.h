#pragma once
// Chooses where Huffman blocks begin: symbols are taken in pieces with their symbol counts, and
// the cut of the pieces into blocks with the least estimated size (entropy plus a table
// allowance) is found by dynamic programming.
#include "LzhFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha::detail {

class BlockPlanner {
  public:
    static constexpr std::size_t kPiece = 1024;

    void clear();
    // Adds symbols[from, to) as pieces; piece ends are kept as indices into the caller's array.
    void add(const std::uint32_t* symbols, std::size_t from, std::size_t to);
    std::size_t pieces() const { return ends_.size(); }
    // Symbol index where piece i ends.
    std::size_t piece_end(std::size_t i) const { return ends_[i]; }
    std::size_t piece_start(std::size_t i) const { return i == 0 ? base_ : ends_[i - 1]; }
    // Cheapest cut of pieces [first, pieces()) into blocks of at most kMaxBlockSymbols symbols:
    // the piece index ending each block, in order.
    std::vector<std::size_t> plan(std::size_t first);
    // Drops the first k pieces; symbol indices shift down by the symbols they held.
    void drop_front(std::size_t k);

  private:
    static constexpr std::size_t kHist = kNC + 32;  // literal/length codes, then position classes
    // A symbol that occurs in a piece: literal/length code, or kNC + position class.
    struct Count {
        std::uint16_t symbol;
        std::uint16_t count;
    };
    void grow_flog(std::size_t n);

    std::size_t base_ = 0;  // symbol index where piece 0 starts
    std::vector<std::size_t> ends_;
    // Piece i's counts are counts_[at_[i], at_[i + 1]), its literal/length codes before split_[i].
    std::vector<Count> counts_;
    std::vector<std::size_t> at_{0};
    std::vector<std::size_t> split_;
    std::vector<std::uint32_t> work_;  // counts of the block being measured, zero between uses
    std::vector<float> flog_{0.0f};    // f * log2(f)
};

}  // namespace lha::detail
