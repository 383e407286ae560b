#include "BitWriter.h"

namespace lha::detail {

BitWriter::BitWriter(ByteSink& sink, std::uint64_t limit) : sink_(sink), limit_(limit), buffer_(64 * 1024) {}

void BitWriter::drain() {
    if (written_ + used_ > limit_) throw LimitExceeded{};
    sink_.write(buffer_.data(), used_);
    written_ += used_;
    used_ = 0;
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
