#pragma once
// MSB-first bit reader over a bounded stretch of a byte source. Reading past the stretch yields
// zero bits, which are counted so that the decoder can report truncation instead of looping.
#include "lha/lha.h"

#include <cstdint>
#include <vector>

namespace lha::detail {

class BitReader {
  public:
    BitReader(ByteSource& source, std::uint64_t limit);

    // Makes at least 57 bits available in the buffer.
    void refill() {
        if (count_ > 56) return;
        if (end_ - p_ >= 8) {
            // Eight bytes at once; bits below the whole bytes taken are the same ones the next
            // refill puts there again.
            std::uint64_t v = 0;
            for (int i = 0; i < 8; ++i) v = (v << 8) | p_[i];
            bits_ |= v >> count_;
            int n = (64 - count_) >> 3;
            p_ += n;
            count_ += n * 8;
            return;
        }
        while (count_ <= 56) {
            unsigned b = p_ < end_ ? *p_++ : next_slow();
            bits_ |= static_cast<std::uint64_t>(b) << (56 - count_);
            count_ += 8;
        }
    }
    // Peeks n bits (1..32); the caller has refilled.
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    // Drops n bits (0..32) already available.
    void skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    std::uint32_t get(int n) {
        if (n == 0) return 0;
        if (count_ < n) refill();
        std::uint32_t v = peek(n);
        skip(n);
        return v;
    }
    int available() const { return count_; }
    // True when more bits were consumed than the stretch holds.
    bool overrun() const { return static_cast<std::int64_t>(padding_ * 8) > count_; }

  private:
    unsigned next_slow();

    ByteSource& source_;
    std::uint64_t remaining_;
    std::vector<unsigned char> buffer_;
    const unsigned char* p_ = nullptr;
    const unsigned char* end_ = nullptr;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::uint64_t padding_ = 0;  // zero bytes appended past the stretch
};

}  // namespace lha::detail
