#pragma once
// Binary-tree match finder over a sliding window: for each position it reports, in increasing
// length, the nearest match of every length it meets, and inserts the position into the tree.
#include <cstdint>
#include <vector>

namespace lha::detail {

struct Match {
    std::uint16_t length;
    std::uint16_t offset;  // distance - 1
};

class MatchFinder {
  public:
    // Window of 2^dict_bits positions (distances below that). `depth` bounds the tree walk;
    // `tree_limit` is the prefix length the tree sorts by (longer matches are still reported).
    MatchFinder(int dict_bits, int depth, int tree_limit);

    // `limit` is the longest match wanted (<= bytes available from pos, >= 3). Returns the count.
    // `known` is a match the caller already knows to hold at pos (length 0: none); the walk then
    // need not compare the bytes it vouches for. The result is the same either way.
    int find(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out);
    // Inserts pos without collecting matches.
    void skip(const unsigned char* buf, std::int32_t pos, int limit, Match known);
    // The window content moved down by `delta` (a multiple of the window size).
    void slide(std::int32_t delta);
    // Forgets every position (for the next input).
    void reset();

  private:
    template <bool Collect>
    int walk(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out);

    std::int32_t window_;
    std::uint32_t mask_;
    int depth_;
    int tree_limit_;
    int hash_shift_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> son_;
};

}  // namespace lha::detail
