#include "LzhDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lha::detail {

namespace {
// A code length of the small tables: three bits, and from 7 on a unary continuation (a 1 bit per
// further step, ended by a 0).
std::uint8_t read_short_length(BitReader& in) {
    in.refill();
    int c = static_cast<int>(in.peek(3));
    in.skip(3);
    if (c == 7) {
        while (in.peek(1) == 1) {
            in.skip(1);
            if (++c > HuffmanTable::kMaxLength)
                throw Error(ErrorCode::CorruptData, "code length out of range");
            in.refill();
        }
        in.skip(1);
    }
    return static_cast<std::uint8_t>(c);
}
constexpr std::size_t kFlushChunk = 256 * 1024;
constexpr std::size_t kSlack = kMaxMatch + 16;
}  // namespace

LzhDecoder::LzhDecoder(MethodParams params)
    : params_(params), c_table_(kNC, 12), t_table_(kNT, 8), p_table_(params.np(), 8) {}

void LzhDecoder::read_pt_lengths(BitReader& in, int count, int nbits, int special) {
    in.refill();
    int n = static_cast<int>(in.get(nbits));
    if (n == 0) {
        int c = static_cast<int>(in.get(nbits));
        if (c >= count) throw Error(ErrorCode::CorruptData, "bad single code in table");
        std::fill(pt_len_, pt_len_ + count, std::uint8_t{0});
        t_table_.build_single(c);
        return;
    }
    if (n > count) throw Error(ErrorCode::CorruptData, "code-length table too long");
    int i = 0;
    while (i < n) {
        pt_len_[i++] = read_short_length(in);
        if (i == special) {
            int z = static_cast<int>(in.get(2));
            while (z-- > 0 && i < count) pt_len_[i++] = 0;
        }
    }
    std::fill(pt_len_ + std::min(i, count), pt_len_ + count, std::uint8_t{0});
    t_table_.build(pt_len_);
}

void LzhDecoder::read_c_lengths(BitReader& in) {
    in.refill();
    int n = static_cast<int>(in.get(kCBits));
    if (n == 0) {
        int c = static_cast<int>(in.get(kCBits));
        if (c >= kNC) throw Error(ErrorCode::CorruptData, "bad single literal/length code");
        c_table_.build_single(c);
        return;
    }
    if (n > kNC) throw Error(ErrorCode::CorruptData, "literal/length table too long");
    int i = 0;
    while (i < n) {
        in.refill();
        int c = t_table_.decode(in);
        if (c <= 2) {
            int run = c == 0   ? 1
                      : c == 1 ? static_cast<int>(in.get(4)) + 3
                               : static_cast<int>(in.get(kCBits)) + 20;
            run = std::min(run, n - i);
            std::memset(c_len_ + i, 0, static_cast<std::size_t>(run));
            i += run;
        } else {
            c_len_[i++] = static_cast<std::uint8_t>(c - 2);
        }
    }
    std::memset(c_len_ + n, 0, static_cast<std::size_t>(kNC - n));
    c_table_.build(c_len_);
}

void LzhDecoder::read_block_header(BitReader& in) {
    read_pt_lengths(in, kNT, kTBits, kTSpecial);
    read_c_lengths(in);
    // The position-class lengths: same coding as the code-length table, without the zero run.
    in.refill();
    int np = params_.np(), nbits = params_.pbits();
    int n = static_cast<int>(in.get(nbits));
    if (n == 0) {
        int c = static_cast<int>(in.get(nbits));
        if (c >= np) throw Error(ErrorCode::CorruptData, "bad single position code");
        p_table_.build_single(c);
        return;
    }
    if (n > np) throw Error(ErrorCode::CorruptData, "position table too long");
    std::uint8_t len[32] = {};
    for (int i = 0; i < n; ++i) {
        len[i] = read_short_length(in);
    }
    p_table_.build(len);
}

void LzhDecoder::decode(BitReader& in, std::uint64_t original_size, const Output& out) {
    const std::size_t dict = std::size_t{1} << params_.dict_bits;
    // Linear window: [0, dict) history, then up to kFlushChunk new bytes; the history starts as
    // spaces, as the format has it, so a distance reaching before the start stays harmless.
    const std::size_t chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(kFlushChunk, original_size + 1));
    std::vector<unsigned char> win(dict + chunk + kSlack, ' ');
    unsigned char* const base = win.data();
    std::size_t pos = dict, flushed = dict;
    std::uint64_t left = original_size;
    const std::size_t limit = dict + chunk;

    auto flush = [&]() {
        if (pos > flushed && !out(base + flushed, pos - flushed))
            throw Error(ErrorCode::Cancelled, "cancelled");
        if (pos >= limit) {
            std::memmove(base, base + pos - dict, dict);
            pos = dict;
        }
        flushed = pos;
    };

    while (left > 0) {
        in.refill();
        if (in.overrun()) throw Error(ErrorCode::Truncated, "packed data ends early");
        std::uint32_t block = in.get(16);
        read_block_header(in);
        if (in.overrun()) throw Error(ErrorCode::Truncated, "packed data ends early");
        while (block > 0 && left > 0) {
            --block;
            in.refill();
            int c = c_table_.decode(in);
            if (c < 256) {
                base[pos++] = static_cast<unsigned char>(c);
                --left;
            } else {
                std::size_t len = static_cast<std::size_t>(c - 256 + kMinMatch);
                in.refill();
                int p = p_table_.decode(in);
                std::size_t dist =
                    p <= 1 ? static_cast<std::size_t>(p) : (std::size_t{1} << (p - 1)) + in.get(p - 1);
                ++dist;
                if (len > left) len = static_cast<std::size_t>(left);
                left -= len;
                unsigned char* d = base + pos;
                const unsigned char* s = d - dist;
                if (dist >= 8) {
                    // Eight at a time; the slack after the window absorbs the overshoot.
                    for (std::size_t k = 0; k < len; k += 8) std::memcpy(d + k, s + k, 8);
                } else {
                    for (std::size_t k = 0; k < len; ++k) d[k] = s[k];
                }
                pos += len;
            }
            if (pos >= limit) flush();
        }
    }
    flush();
    if (in.overrun()) throw Error(ErrorCode::Truncated, "packed data ends early");
}

}  // namespace lha::detail
