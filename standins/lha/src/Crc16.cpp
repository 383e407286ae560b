#include "lha/lha.h"

#include <array>

namespace lha {
namespace {

// Reflected CRC-16 with polynomial 0x8005 (0xA001 reversed). Table k advances a byte that is
// followed by k more, so eight bytes take eight independent lookups (the byte-wise loop was a
// chain of dependent ones, and showed in the packing profile).
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables make_tables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
        t[0][i] = static_cast<std::uint16_t>(r);
    }
    for (unsigned i = 0; i < 256; ++i)
        for (std::size_t k = 1; k < 8; ++k)
            t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = make_tables();

}  // namespace

std::uint16_t crc16(const void* data, std::size_t n, std::uint16_t crc) {
    const auto* p = static_cast<const unsigned char*>(data);
    unsigned c = crc;
    for (; n >= 8; n -= 8, p += 8) {
        const unsigned lo = (c ^ (p[0] | (static_cast<unsigned>(p[1]) << 8))) & 0xFFFF;
        c = kTables[7][lo & 0xFF] ^ kTables[6][lo >> 8] ^ kTables[5][p[2]] ^ kTables[4][p[3]] ^
            kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
    }
    for (; n > 0; --n) c = kTables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return static_cast<std::uint16_t>(c);
}

}  // namespace lha
