// libFuzzer target over the encoder: data packed with lh5, lh6 or lh7 must unpack to itself.
// The first byte picks the method (value mod 3), the header level (bits 2-3, mod 3) and how many
// times the rest is repeated (bits 4-7), so that matches of every length and distance occur.
// Each input sets up an encoder, which costs far more than a decode: the header walk and the
// decoders have a target of their own (lha_fuzz_decode.cpp).
#include "lha/lha.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const lha::Method methods[3] = {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7};
    const lha::Method m = methods[data[0] % 3];
    lha::MemorySink sink;
    lha::WriterOptions wo;
    wo.header_level = (data[0] >> 2) % 3;
    lha::Writer w(sink, wo);
    lha::NewEntry ne;
    ne.name = "f";
    std::vector<unsigned char> in;
    const std::size_t reps = 1 + (data[0] >> 4);
    for (std::size_t k = 0; k < reps && in.size() < 16 * 1024; ++k)
        in.insert(in.end(), data + 1, data + size);
    lha::MemorySource src(in.data(), in.size());
    w.add_file(ne, src, m);
    w.finish();
    lha::MemorySource back(sink.data().data(), sink.data().size());
    lha::Reader r(back);
    lha::Entry e;
    if (!r.next(e)) std::abort();
    lha::MemorySink out;
    r.extract(e, out);
    if (out.data() != in) std::abort();
    return 0;
}
