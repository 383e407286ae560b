#pragma once
// Encoder of the -lh5- .. -lh7- bit stream. Input is read in chunks; with two threads two
// neighbouring chunks are parsed at once (each parser gets the window of history before its
// chunk). The symbols are then cut into Huffman blocks in order, a block may span segments
// and chunks, and written.
#include "BitWriter.h"
#include "BlockPlanner.h"
#include "ChunkParser.h"
#include "LzhFormat.h"

#include <functional>
#include <memory>
#include <vector>

namespace lha::detail {

class LzhEncoder {
  public:
    // Fills the buffer with up to n bytes; returns 0 at the end.
    using Input = std::function<std::size_t(unsigned char*, std::size_t)>;

    LzhEncoder(MethodParams params, EncoderOptions options = {});
    ~LzhEncoder();

    // Packs everything `in` delivers. `size_hint` (the expected input size) only sizes buffers.
    // The encoder can be used again for the next input.
    void encode(const Input& in, BitWriter& out, std::uint64_t size_hint);

  private:
    // Takes a chunk's symbols, segment by segment, and writes every block that is settled.
    void take(const ChunkParser& parser, BitWriter& out);
    void emit(bool final, BitWriter& out);

    MethodParams params_;
    EncoderOptions options_;
    std::int32_t window_;
    std::vector<std::unique_ptr<ChunkParser>> parsers_;
    std::vector<std::uint32_t> pending_;  // symbols not yet written
    BlockPlanner planner_;
};

}  // namespace lha::detail
