#include "BitWriter.h"
#include "EncoderChoice.h"
#include "VectorSink.h"
#include "lha/lha.h"

#include <algorithm>
#include <cstring>

namespace lha {

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
