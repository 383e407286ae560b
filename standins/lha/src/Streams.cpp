#include "lha/lha.h"

#include <algorithm>
#include <cstring>

namespace lha {

MemorySource::MemorySource(const void* data, std::size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(size) {}

std::size_t MemorySource::read(void* buffer, std::size_t n) {
    std::size_t k = std::min(n, size_ - pos_);
    if (k != 0) std::memcpy(buffer, data_ + pos_, k);
    pos_ += k;
    return k;
}

void MemorySource::seek(std::uint64_t position) {
    if (position > size_) throw Error(ErrorCode::Io, "seek beyond the end of the data");
    pos_ = static_cast<std::size_t>(position);
}

void MemorySink::write(const void* buffer, std::size_t n) {
    if (n == 0) return;
    if (pos_ + n > data_.size()) data_.resize(pos_ + n);
    std::memcpy(data_.data() + pos_, buffer, n);
    pos_ += n;
}

void MemorySink::seek(std::uint64_t position) {
    if (position > data_.size()) throw Error(ErrorCode::Io, "seek beyond the end of the data");
    pos_ = static_cast<std::size_t>(position);
}

void MemorySink::truncate() {
    data_.resize(pos_);
}

FixedBufferSink::FixedBufferSink(void* buffer, std::size_t capacity)
    : buffer_(static_cast<unsigned char*>(buffer)), capacity_(capacity) {}

void FixedBufferSink::write(const void* buffer, std::size_t n) {
    if (pos_ < capacity_) {
        std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(n, capacity_ - pos_));
        std::memcpy(buffer_ + pos_, buffer, k);
    }
    pos_ += n;
    end_ = std::max(end_, pos_);
}

void FixedBufferSink::seek(std::uint64_t position) {
    if (position > end_) throw Error(ErrorCode::Io, "seek beyond the end of the data");
    pos_ = position;
}

void FixedBufferSink::truncate() {
    end_ = pos_;
}

std::size_t FixedBufferSink::stored() const {
    return static_cast<std::size_t>(std::min<std::uint64_t>(end_, capacity_));
}

void NullSink::write(const void*, std::size_t n) {
    pos_ += n;
    end_ = std::max(end_, pos_);
}

}  // namespace lha
