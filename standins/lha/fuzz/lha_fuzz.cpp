// libFuzzer target over the header parser, every decoder and the encoder.
// The first byte picks what the rest is fed to:
//   0x00-0x3F  a whole archive: list every entry and extract it
//   0x40-0x7F  a raw -lh4-..-lh7- stream (method from the low bits, size from two bytes)
//   0x80-0xFF  data to pack with lh5/6/7 and unpack again, which must give it back
#include "BitReader.h"
#include "LzhDecoder.h"
#include "lha/lha.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Stops an extraction after a few MiB: sizes in a fuzzed header are arbitrary.
class CappedSink final : public lha::ByteSink {
  public:
    void write(const void*, std::size_t n) override {
        total_ += n;
        if (total_ > (4u << 20)) throw lha::Error(lha::ErrorCode::InvalidArgument, "fuzz output cap");
    }
    void seek(std::uint64_t) override {}
    std::uint64_t tell() override { return total_; }
    void truncate() override {}

  private:
    std::uint64_t total_ = 0;
};

void fuzz_archive(const std::uint8_t* data, std::size_t size) {
    lha::MemorySource src(data, size);
    lha::ReaderOptions o;
    o.search_limit = (size & 1) ? 4096 : 0;
    try {
        lha::Reader r(src, o);
        lha::Entry e;
        for (int k = 0; k < 64 && r.next(e); ++k) {
            (void)lha::safe_relative_path(e.name);
            try {
                CappedSink sink;
                r.extract(e, sink);
            } catch (const lha::Error&) {
            }
            lha::MemorySink copy;
            try {
                r.copy_raw(e, copy);
            } catch (const lha::Error&) {
            }
        }
    } catch (const lha::Error&) {
    }
}

void fuzz_stream(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return;
    static const int bits[4] = {12, 13, 15, 16};
    const int dict_bits = bits[data[0] & 3];
    const std::uint64_t original =
        data[1] | (static_cast<std::uint64_t>(data[2]) << 8) | ((data[0] & 0x3Cu) << 14);
    lha::MemorySource src(data + 3, size - 3);
    lha::detail::BitReader br(src, size - 3);
    lha::detail::LzhDecoder dec(lha::detail::MethodParams{dict_bits});
    try {
        dec.decode(br, original, [](const unsigned char*, std::size_t) { return true; });
    } catch (const lha::Error&) {
    }
}

void fuzz_roundtrip(const std::uint8_t* data, std::size_t size) {
    static const lha::Method methods[3] = {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7};
    const lha::Method m = methods[data[0] % 3];
    lha::MemorySink sink;
    lha::WriterOptions wo;
    wo.header_level = (data[0] >> 2) % 3;
    lha::Writer w(sink, wo);
    lha::NewEntry ne;
    ne.name = "f";
    // Stretch small inputs so that matches of all lengths and distances occur.
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] < 0x40)
        fuzz_archive(data + 1, size - 1);
    else if (data[0] < 0x80)
        fuzz_stream(data, size);
    else
        fuzz_roundtrip(data, size);
    return 0;
}
