#pragma once
// Parses one chunk of input (with the window of history before it) into LZSS symbols: gathers
// every position's matches with a binary-tree finder, parses lazily for first statistics, then
// finds minimum-cost paths with bit costs from the Huffman codes those statistics give, per
// range that would become one Huffman block. Chunks are independent, so two parsers can run
// at once on neighbouring chunks.
#include "BlockPlanner.h"
#include "LzhFormat.h"
#include "MatchFinder.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace lha::detail {

struct EncoderOptions {
    int depth = 24;        // binary-tree walk bound per position
    int nice_length = 96;  // a match this long is taken without looking inside it
    int passes = 1;        // minimum-cost passes per segment (0: lazy parse only)
    int threads = 2;       // chunks parsed at once

    // The built-in choice per method: the larger windows find more and longer matches, so they
    // can search less deeply and still beat the common encoders by a wide margin, and stay fast.
    static EncoderOptions for_method(MethodParams params) {
        EncoderOptions o;
        if (params.dict_bits >= 15) {
            o.depth = 16;
            o.nice_length = 64;
        }
        return o;
    }
};

class ChunkParser {
  public:
    // Input bytes parsed at once (after the history), and the largest buffer needed.
    static constexpr std::int32_t kChunk = 1 << 20;

    ChunkParser(MethodParams params, EncoderOptions options);

    // Buffer of at least `bytes` bytes (history plus chunk); the content is kept when it grows.
    unsigned char* buffer(std::size_t bytes);
    // Parses [history, end) of the buffer; [0, history) is earlier input matches may refer to
    // (at most the window). Symbols come out in segments, for block planning by the caller.
    void parse(std::int32_t history, std::int32_t end);
    const std::vector<std::uint32_t>& symbols() const { return symbols_; }
    // Symbol index where each segment ends.
    const std::vector<std::size_t>& segment_ends() const { return segment_ends_; }

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
    std::vector<unsigned char> buf_;
    std::int32_t data_end_ = 0;
    MatchFinder finder_;
    std::int32_t seg_begin_ = 0;
    std::int32_t skip_to_ = 0;
    std::uint16_t skip_offset_ = 0;
    std::vector<Match> matches_;         // gathered matches of the segment
    std::vector<std::uint32_t> first_;   // index of each position's first match
    std::vector<std::uint32_t> cost_;    // minimum-cost pass
    std::vector<std::uint32_t> choice_;  // (length << 16) | offset, length 1 = literal
    std::vector<std::uint32_t> symbols_;
    std::vector<std::size_t> segment_ends_;
    BlockPlanner planner_;
};

}  // namespace lha::detail
