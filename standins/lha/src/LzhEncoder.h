#pragma once
// Encoder of the -lh5- .. -lh7- bit stream. The input is parsed in segments: every position's
// matches are gathered once with a binary-tree finder, then a minimum-cost path through the
// segment is found with bit costs taken from the Huffman codes the previous pass would produce
// (iterated), and the symbols are cut into Huffman blocks where a new table pays for itself.
#include "BitWriter.h"
#include "LzhFormat.h"
#include "MatchFinder.h"

#include <functional>
#include <vector>

namespace lha::detail {

struct EncoderOptions {
  int depth = 24;       // binary-tree walk bound per position
  int nice_length = 96; // a match this long is taken without looking inside it
  int passes = 2;       // minimum-cost passes per segment (0: lazy parse only)
};

class LzhEncoder {
public:
  // Fills the buffer with up to n bytes; returns 0 at the end.
  using Input = std::function<std::size_t(unsigned char *, std::size_t)>;

  LzhEncoder(MethodParams params, EncoderOptions options = {});

  // Packs everything `in` delivers. `size_hint` (the expected input size) only sizes buffers.
  // The encoder can be used again for the next input.
  void encode(const Input &in, BitWriter &out, std::uint64_t size_hint);

private:
  struct Costs {
    std::uint32_t c[kNC];
    std::uint32_t p[32]; // position class code length plus extra bits
  };

  void gather(std::int32_t begin, std::int32_t end);
  void parse_lazy(std::int32_t begin, std::int32_t end);
  void parse_optimal(std::int32_t begin, std::int32_t end, const Costs &costs);
  void costs_from_symbols(std::size_t from, Costs &costs) const;
  std::size_t full_buffer() const;
  void grow_flog(std::size_t n);
  double estimate_bits(std::size_t a, std::size_t b) const;
  void add_pieces(std::size_t from);
  void emit_blocks(bool final, BitWriter &out);
  void write_block(const std::uint32_t *syms, std::size_t n, BitWriter &out);

  MethodParams params_;
  EncoderOptions options_;
  std::int32_t window_;
  std::vector<unsigned char> buf_;
  std::int32_t data_end_ = 0;
  MatchFinder finder_;
  std::int32_t skip_to_ = 0;
  std::uint16_t skip_offset_ = 0;
  std::vector<Match> matches_;          // gathered matches, per position in [begin, end)
  std::vector<std::uint32_t> first_;    // index of each position's first match
  std::vector<std::uint32_t> cost_;     // minimum-cost pass
  std::vector<std::uint32_t> choice_;   // (length << 16) | offset, length 1 = literal
  std::vector<std::uint32_t> symbols_;  // code | offset << 10, pending emission
  // Block cutting: pending symbols in pieces, with running histograms (literal/length codes,
  // then position classes) at every piece boundary.
  static constexpr std::size_t kPiece = 4096;
  static constexpr std::size_t kHistSize = kNC + 32;
  std::vector<std::size_t> piece_end_;
  std::vector<std::uint32_t> piece_hist_;
  std::vector<float> flog_; // f * log2(f)
};

// Position class of an offset (distance - 1): 0, 1, then its bit length.
inline int position_class(unsigned offset) { return offset ? 32 - __builtin_clz(offset) : 0; }

} // namespace lha::detail
