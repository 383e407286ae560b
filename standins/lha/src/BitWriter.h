#pragma once
// MSB-first bit writer into a sink, buffered. Stops with LimitExceeded once more bytes than the
// limit have been produced, so an encoder that does not pay is abandoned early.
#include "lha/lha.h"

#include <cstdint>
#include <vector>

namespace lha::detail {

struct LimitExceeded {};

class BitWriter {
  public:
    BitWriter(ByteSink& sink, std::uint64_t limit);

    // Appends the low `n` bits (0..32) of `v`, most significant first.
    void put(int n, std::uint32_t v) {
        acc_ = (acc_ << n) | (static_cast<std::uint64_t>(v) & ((std::uint64_t{1} << n) - 1));
        count_ += n;
        if (count_ >= 32) {
            count_ -= 32;
            auto w = static_cast<std::uint32_t>(acc_ >> count_);
            if (used_ + 4 > buffer_.size()) drain();
            unsigned char* p = buffer_.data() + used_;
            p[0] = static_cast<unsigned char>(w >> 24);
            p[1] = static_cast<unsigned char>(w >> 16);
            p[2] = static_cast<unsigned char>(w >> 8);
            p[3] = static_cast<unsigned char>(w);
            used_ += 4;
        }
    }
    // Appends the first `bits` bits of `bytes` (most significant first), as if put one by one:
    // the bit stream of a chunk encoded apart joins the stream here.
    void append(const unsigned char* bytes, std::uint64_t bits);
    // Pads the last byte with zero bits and writes everything out.
    void flush();
    // Bits put so far.
    std::uint64_t bit_count() const { return (written_ + used_) * 8 + static_cast<std::uint64_t>(count_); }
    // Bytes produced so far (after flush(): the packed size).
    std::uint64_t bytes() const { return written_ + used_ + static_cast<std::uint64_t>((count_ + 7) / 8); }

  private:
    void drain();

    ByteSink& sink_;
    std::uint64_t limit_;
    std::vector<unsigned char> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t acc_ = 0;
    int count_ = 0;
};

}  // namespace lha::detail
