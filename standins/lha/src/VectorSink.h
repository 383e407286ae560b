#pragma once
// A sink that appends to a caller's vector (emptied first), so that its capacity serves the next
// input too. The bit writer only ever appends: a seek is refused.

#include "lha/lha.h"

#include <cstdint>
#include <vector>

namespace lha {

class VectorSink final : public ByteSink {
  public:
    explicit VectorSink(std::vector<unsigned char>& v) : v_(v) { v_.clear(); }
    void write(const void* buffer, std::size_t n) override {
        const auto* p = static_cast<const unsigned char*>(buffer);
        v_.insert(v_.end(), p, p + n);
    }
    void seek(std::uint64_t) override { throw Error(ErrorCode::Io, "seek in packed data"); }
    std::uint64_t tell() override { return v_.size(); }
    void truncate() override {}

  private:
    std::vector<unsigned char>& v_;
};

}  // namespace lha
