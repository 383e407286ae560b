// libFuzzer target over the header walk and every decoder: cheap per input (no encoder is set
// up), so a run sees thousands of inputs a second. Bit 6 of the first byte picks what the rest
// is fed to:
//   clear  a whole archive: list every entry, extract it and copy it raw
//   set    a raw -lh4-..-lh7- stream (dictionary from the low bits, size from two more bytes)
#include "BitReader.h"
#include "LzhDecoder.h"
#include "lha/lha.h"

#include <cstdint>
#include <cstdlib>

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

void FuzzArchive(const std::uint8_t* data, std::size_t size, bool search) {
    lha::MemorySource src(data, size);
    lha::ReaderOptions o;
    o.search_limit = search ? 4096 : 0;
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

void FuzzStream(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return;
    static const int bits[4] = {12, 13, 15, 16};
    const int dictBits = bits[data[0] & 3];
    const std::uint64_t original =
        data[1] | (static_cast<std::uint64_t>(data[2]) << 8) | ((data[0] & 0x3Cu) << 14);
    lha::MemorySource src(data + 3, size - 3);
    lha::detail::BitReader br(src, size - 3);
    lha::detail::LzhDecoder dec(lha::detail::MethodParams{dictBits});
    try {
        dec.decode(br, original, [](const unsigned char*, std::size_t) { return true; });
    } catch (const lha::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 0x40)
        FuzzStream(data, size);
    else
        FuzzArchive(data + 1, size - 1, (data[0] & 1) != 0);
    return 0;
}
