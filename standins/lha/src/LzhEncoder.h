#pragma once
// Encoder of the -lh5- .. -lh7- bit stream. The input is cut into chunks of a fixed size; each
// chunk is parsed with the window of input before it as history (matches reach back across the
// seam), cut into Huffman blocks and written as a bit stream of its own, and the streams are
// joined in order: decoders see one continuous stream of blocks. Several chunks are encoded at
// once on threads of the encoder's own. The chunk size does not depend on the number of
// threads, so neither does the output.
#include "BitWriter.h"
#include "BlockPlanner.h"
#include "ChunkParser.h"
#include "LzhFormat.h"

#include <functional>
#include <memory>
#include <vector>

namespace lha::detail {

// Encodes one chunk: parses it and writes its symbols as Huffman blocks, the last block ending
// with the chunk.
class ChunkEncoder {
  public:
    ChunkEncoder(MethodParams params, EncoderOptions options);
    // [history, end) of `buf` (kSlack zero bytes after end) into `out`.
    void encode(const unsigned char* buf, std::int32_t history, std::int32_t end, BitWriter& out);

  private:
    // Writes the blocks the planner has settled (all of them when final).
    void emit(bool final, BitWriter& out);

    MethodParams params_;
    ChunkParser parser_;
    std::vector<std::uint32_t> pending_;  // symbols not yet written
    BlockPlanner planner_;
};

class LzhEncoder {
  public:
    // Input bytes per chunk. Chosen by measurement: smaller chunks cost size (a block ends at
    // every seam) and time (the history is inserted again each time, a window's worth), larger
    // ones memory (each thread holds two chunks' worth of input and output).
    static constexpr std::int32_t kChunk = 1 << 20;
    // Threads for threads = 0: the cores, at most this many (each costs about 10 MiB).
    static constexpr int kMaxThreads = 8;

    // Fills the buffer with up to n bytes; returns 0 at the end.
    using Input = std::function<std::size_t(unsigned char*, std::size_t)>;

    LzhEncoder(MethodParams params, EncoderOptions options = {});
    ~LzhEncoder();

    // Packs everything `in` delivers (read on the caller's thread only). `size_hint` (the
    // expected input size) only decides whether threads are worth starting. The encoder can be
    // used again for the next input.
    void encode(const Input& in, BitWriter& out, std::uint64_t size_hint);

    // The threads encode() uses for a large input.
    int threads() const { return threads_; }

  private:
    ChunkEncoder& chunk_encoder(std::size_t i);
    void encode_parallel(const Input& in, BitWriter& out);

    MethodParams params_;
    EncoderOptions options_;
    std::int32_t window_;
    int threads_;
    std::vector<std::unique_ptr<ChunkEncoder>> encoders_;  // one per thread, kept between inputs
    std::vector<unsigned char> buffer_;                    // the one-thread way's chunk
};

}  // namespace lha::detail
