#pragma once
// Parses one chunk of input (with the window of history before it) into LZSS symbols, a
// segment at a time: gathers every position's matches with a binary-tree finder, parses lazily
// for first statistics, then finds minimum-cost paths with bit costs from the Huffman codes
// those statistics give, per range that would become one Huffman block. Chunks are
// independent, so several parsers can run at once on neighbouring chunks.
#include "BlockPlanner.h"
#include "LzhFormat.h"
#include "MatchFinder.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace lha::detail {

struct EncoderOptions {
    int depth = 16;        // binary-tree walk bound per position
    int nice_length = 64;  // a match this long is taken without looking inside it
    int passes = 1;        // minimum-cost passes per segment (0: lazy parse only)
    int threads = 0;       // chunks encoded at once (0: one per core)
    // The same for every method: the larger windows find more and longer matches without deeper
    // walks, and lh5 with depth 24 and nice 96 was 0.15 to 0.2% smaller for 4 to 6% more time.
};

class ChunkParser {
  public:
    // Zero bytes a buffer must hold after its data: the finder reads 8 bytes at a time.
    static constexpr std::size_t kSlack = 16;

    ChunkParser(MethodParams params, EncoderOptions options);

    // Starts on [history, end) of `buf`, which stays the caller's and unchanged until the chunk
    // is done (with kSlack zero bytes after end); [0, history) is earlier input that matches
    // may refer to (at most the window is used).
    void start(const unsigned char* buf, std::int32_t history, std::int32_t end);
    // Parses the next segment of the chunk; false when the chunk is done. symbols() then holds
    // that segment's symbols, for block planning by the caller.
    bool next();
    const std::vector<std::uint32_t>& symbols() const { return symbols_; }

  private:
    struct Costs {
        std::uint32_t c[kNC];
        std::uint32_t p[32];  // position class code length plus extra bits
    };

    void gather(std::int32_t begin, std::int32_t end);
    void parse_lazy(std::int32_t begin, std::int32_t end);
    void parse_optimal(std::int32_t begin, std::int32_t end, const Costs& costs);
    void costs_from_symbols(std::size_t from, std::size_t to, Costs& costs) const;
    void split_ranges(std::size_t s0, std::int32_t pos,
                      std::vector<std::pair<std::int32_t, std::int32_t>>& ranges,
                      std::vector<std::pair<std::size_t, std::size_t>>& stats);

    MethodParams params_;
    EncoderOptions options_;
    std::int32_t window_;
    const unsigned char* buf_ = nullptr;
    std::int32_t data_end_ = 0;
    std::int32_t pos_ = 0;  // where the next segment begins
    MatchFinder finder_;
    std::int32_t seg_begin_ = 0;
    std::int32_t skip_to_ = 0;
    std::uint16_t skip_offset_ = 0;
    std::vector<Match> matches_;         // gathered matches of the segment
    std::vector<std::uint32_t> first_;   // index of each position's first match
    std::vector<std::uint32_t> cost_;    // minimum-cost pass
    std::vector<std::uint32_t> choice_;  // (length << 16) | offset, length 1 = literal
    std::vector<std::uint32_t> symbols_;
    BlockPlanner planner_;
};

}  // namespace lha::detail
