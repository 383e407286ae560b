#include "BitWriter.h"
#include "EncoderChoice.h"
#include "lha/lha.h"

#include <algorithm>
#include <cstring>

namespace lha {

namespace {

// Appends to a caller's vector, so that its capacity serves the next input too.
class VectorSink final : public ByteSink {
  public:
    explicit VectorSink(std::vector<unsigned char>& v) : v_(v) { v_.clear(); }
    void write(const void* buffer, std::size_t n) override {
        const auto* p = static_cast<const unsigned char*>(buffer);
        v_.insert(v_.end(), p, p + n);
    }
    // The bit writer only ever appends.
    void seek(std::uint64_t) override { throw Error(ErrorCode::Io, "seek in packed data"); }
    std::uint64_t tell() override { return v_.size(); }
    void truncate() override {}

  private:
    std::vector<unsigned char>& v_;
};

}  // namespace

Packer::Packer(WriterOptions options) : options_(options) {}

Packer::~Packer() = default;

void Packer::pack(const void* data, std::size_t n, Method method, PackedData& out) {
    const auto* in = static_cast<const unsigned char*>(data);
    out.original_size = n;
    out.crc = crc16(in, n);
    out.method = method;
    bool stored = method == Method::Lh0 || n == 0;
    if (!stored) {
        try {
            VectorSink sink(out.bytes);
            // The same limit as Writer::add_file: give up once the output passes the input.
            detail::BitWriter bw(sink, n);
            std::size_t at = 0;
            auto pull = [&](unsigned char* buf, std::size_t want) {
                const std::size_t k = std::min(want, n - at);
                if (k != 0) std::memcpy(buf, in + at, k);
                at += k;
                return k;
            };
            detail::encoder_for(encoders_, method, options_).encode(pull, bw, n);
            bw.flush();
            stored = bw.bytes() >= n;
        } catch (const detail::LimitExceeded&) {
            stored = true;
        }
    }
    if (stored) {
        out.method = Method::Lh0;
        out.bytes.assign(in, in + n);
    }
}

}  // namespace lha
