#pragma once
// Decoder of the -lh4- .. -lh7- bit stream into a sink, with bounded memory.
#include "BitReader.h"
#include "HuffmanTable.h"
#include "LzhFormat.h"

#include <functional>

namespace lha::detail {

class LzhDecoder {
  public:
    // Receives decoded bytes in order; returns false to stop (cancel).
    using Output = std::function<bool(const unsigned char*, std::size_t)>;

    explicit LzhDecoder(MethodParams params);

    // Decodes `original_size` bytes. Throws CorruptData / Truncated; Cancelled when `out` says so.
    void decode(BitReader& in, std::uint64_t original_size, const Output& out);

  private:
    void read_block_header(BitReader& in);
    void read_pt_lengths(BitReader& in, int count, int nbits, int special);
    void read_c_lengths(BitReader& in);

    MethodParams params_;
    HuffmanTable c_table_;
    HuffmanTable t_table_;  // code lengths of the NC table, and the NP table in turn
    HuffmanTable p_table_;
    std::uint8_t c_len_[kNC] = {};
    std::uint8_t pt_len_[kNT > 32 ? kNT : 32] = {};
};

}  // namespace lha::detail
