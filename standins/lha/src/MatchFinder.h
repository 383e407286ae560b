#pragma once
// Match finder over a sliding window: for each position it reports, in increasing length, the
// nearest match of every length it meets, and inserts the position. Matches shorter than
// kTreeKey come from a table per length (the latest position whose first k bytes hash alike),
// longer ones from binary trees of the positions whose first kTreeKey bytes hash alike. Keeping
// the short strings out of the trees shortens the walks (on text a fifth of the nodes a walk met
// shared just 3 bytes); either way yields the nearest match of each length, up to collisions in
// the tables. Longer tree keys (5, 6, 8) took out more nodes but their tables cost as much.
#include <cstdint>
#include <vector>

namespace lha::detail {

struct Match {
    std::uint16_t length;
    std::uint16_t offset;  // distance - 1
};

class MatchFinder {
  public:
    static constexpr int kTreeKey = 4;

    // Window of 2^dict_bits positions (distances below that). `depth` bounds the tree walk;
    // `tree_limit` is the prefix length the tree sorts by (longer matches are still reported).
    MatchFinder(int dict_bits, int depth, int tree_limit);

    // `limit` is the longest match wanted (<= bytes available from pos, >= 3); the buffer must be
    // readable 8 bytes past pos + limit. Returns the count.
    // `known` is a match the caller already knows to hold at pos (length 0: none); the walk then
    // need not compare the bytes it vouches for. The result is the same either way.
    int find(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out);
    // Inserts pos without collecting matches.
    void skip(const unsigned char* buf, std::int32_t pos, int limit, Match known);
    // Starts an input whose positions run from 0 to below `span`. The positions of earlier
    // inputs are not cleared (for small files that cost more than the packing): the new ones are
    // numbered a window beyond them, so that every old one is out of reach. Only when the
    // numbers would overflow are the tables wiped.
    void start(std::int32_t span);

  private:
    template <bool Collect>
    int insert(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out);
    template <bool Collect>
    int walk(const unsigned char* buf, std::int32_t pos, int limit, std::uint64_t key, Match known, int best,
             Match* out);

    void reset();

    std::int32_t window_;
    std::uint32_t mask_;
    std::int32_t origin_ = 0;  // stored number of position 0 of the current input
    std::int32_t top_ = 0;     // stored numbers so far are below this
    int depth_;
    int tree_limit_;
    int hash_shift_;
    int table_shift_;
    std::size_t table_size_;
    // Entries hold stored numbers (position + origin_), -1 when empty.
    std::vector<std::int32_t> short_;  // the tables of lengths kMinMatch .. kTreeKey - 1, in a row
    std::vector<std::int32_t> head_;   // tree roots
    std::vector<std::int32_t> son_;
};

}  // namespace lha::detail
