// Fuzz target of the tar reader: any bytes as an archive, plain or (when they begin so) gzip,
// every entry and its data read. Nothing may crash, overrun or hang; every rejection is a
// TarError.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "TarFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    tarfmt::TRead raw = [&](void* buffer, size_t n) -> long long {
        const size_t k = std::min(n, size - at);
        std::memcpy(buffer, data + at, k);
        at += k;
        return static_cast<long long>(k);
    };
    try {
        tarfmt::TRead source =
            tarfmt::CompressionOf(data, size) == tarfmt::TCompression::Gzip ? tarfmt::GunzipSource(raw) : raw;
        tarfmt::TarReader reader(source);
        tarfmt::TarEntry e;
        size_t budget = 1 << 20;
        while (reader.Next(e)) {
            reader.ReadData([&](const void*, size_t n) {
                if (n > budget) return false;
                budget -= n;
                return true;
            });
        }
    } catch (const tarfmt::TarError&) {
    }
    return 0;
}
