#include "lha/lha.h"

#include <array>

namespace lha {
namespace {

// Reflected CRC-16 with polynomial 0x8005 (0xA001 reversed), eight bits per table step.
constexpr std::array<std::uint16_t, 256> make_table() {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
        t[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}

constexpr auto kTable = make_table();

}  // namespace

std::uint16_t crc16(const void* data, std::size_t n, std::uint16_t crc) {
    const auto* p = static_cast<const unsigned char*>(data);
    unsigned c = crc;
    for (std::size_t i = 0; i < n; ++i) c = kTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return static_cast<std::uint16_t>(c);
}

}  // namespace lha
