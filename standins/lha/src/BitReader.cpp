#include "BitReader.h"

#include <algorithm>

namespace lha::detail {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

BitReader::BitReader(ByteSource& source, std::uint64_t limit)
    : source_(source), remaining_(limit), buffer_(kBufferSize) {
    p_ = end_ = buffer_.data();
}

unsigned BitReader::next_slow() {
    if (remaining_ > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, kBufferSize));
        std::size_t got = source_.read(buffer_.data(), want);
        if (got > 0) {
            remaining_ -= got;
            p_ = buffer_.data();
            end_ = p_ + got;
            return *p_++;
        }
        remaining_ = 0;  // the file ended early: what follows reads as zero padding
    }
    ++padding_;
    return 0;
}

}  // namespace lha::detail
