#pragma once
// The encoder of a method with the caller's tuning: one place, so that Writer and Packer pack
// the same data to the same bytes.
#include "LzhEncoder.h"
#include "lha/lha.h"

#include <memory>

namespace lha::detail {

inline int dict_bits(Method m) {
    return m == Method::Lh5 ? 13 : m == Method::Lh6 ? 15 : 16;
}

// The encoder for `m` (not Lh0) from the slots, made on first use and kept.
inline LzhEncoder& encoder_for(std::unique_ptr<LzhEncoder> (&slots)[4], Method m, const WriterOptions& o) {
    auto& enc = slots[static_cast<int>(m)];
    if (!enc) {
        EncoderOptions eo;
        if (o.search_depth > 0) eo.depth = std::min(o.search_depth, 256);
        if (o.nice_length > 0) eo.nice_length = std::clamp(o.nice_length, 3, 256);
        if (o.passes >= 0) eo.passes = std::min(o.passes, 8);
        if (o.threads > 0) eo.threads = o.threads;
        enc = std::make_unique<LzhEncoder>(MethodParams{dict_bits(m)}, eo);
    }
    return *enc;
}

}  // namespace lha::detail
