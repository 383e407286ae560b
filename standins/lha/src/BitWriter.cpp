#include "BitWriter.h"

namespace lha::detail {

BitWriter::BitWriter(ByteSink& sink, std::uint64_t limit) : sink_(sink), limit_(limit), buffer_(64 * 1024) {}

void BitWriter::drain() {
    if (written_ + used_ > limit_) throw LimitExceeded{};
    sink_.write(buffer_.data(), used_);
    written_ += used_;
    used_ = 0;
}

void BitWriter::append(const unsigned char* bytes, std::uint64_t bits) {
    const unsigned char* p = bytes;
    for (; bits >= 32; bits -= 32, p += 4)
        put(32,
            (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]);
    for (; bits >= 8; bits -= 8) put(8, *p++);
    if (bits) put(static_cast<int>(bits), static_cast<std::uint32_t>(*p >> (8 - bits)));
}

void BitWriter::flush() {
    while (count_ > 0) {
        int take = count_ >= 8 ? 8 : count_;
        auto b = static_cast<unsigned char>((acc_ >> (count_ - take)) << (8 - take));
        if (used_ == buffer_.size()) drain();
        buffer_[used_++] = b;
        count_ -= take;
    }
    drain();
}

}  // namespace lha::detail
