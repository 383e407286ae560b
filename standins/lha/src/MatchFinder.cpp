#include "MatchFinder.h"

#include "LzhFormat.h"

#include <algorithm>
#include <cstring>

namespace lha::detail {

namespace {
// Length of the common prefix of a and b, starting at `len`, at most `limit`.
inline int extend(const unsigned char* a, const unsigned char* b, int len, int limit) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (len + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) return len + (__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
#endif
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

inline std::uint32_t hash3(const unsigned char* p, int shift) {
    std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                      (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 2654435761u) >> shift;
}

// A table about twice the window: larger ones only cost cache misses.
int hash_bits(int dict_bits) {
    return dict_bits + 1 < 16 ? dict_bits + 1 : 16;
}
}  // namespace

MatchFinder::MatchFinder(int dict_bits, int depth, int tree_limit)
    : window_(std::int32_t{1} << dict_bits),
      mask_((1u << dict_bits) - 1),
      depth_(depth),
      tree_limit_(tree_limit < kMinMatch ? kMinMatch : tree_limit),
      hash_shift_(32 - hash_bits(dict_bits)),
      head_(std::size_t{1} << hash_bits(dict_bits), -1),
      son_(std::size_t{2} << dict_bits, -1) {}

template <bool Collect>
int MatchFinder::walk(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out) {
    const std::uint32_t h = hash3(buf + pos, hash_shift_);
    std::int32_t cur = head_[h];
    head_[h] = pos;
    std::int32_t* ptr0 = &son_[((static_cast<std::uint32_t>(pos) & mask_) << 1) + 1];
    std::int32_t* ptr1 = &son_[(static_cast<std::uint32_t>(pos) & mask_) << 1];
    const unsigned char* s = buf + pos;
    // The tree orders strings by their first `tl` bytes only, the same bound for every position,
    // which keeps it consistent; a match reaching the bound is then extended directly.
    const int tl = limit < tree_limit_ ? limit : tree_limit_;
    int len0 = 0, len1 = 0, best = kMinMatch - 1, n = 0, depth = depth_;
    // Long repeats make most of the compared bytes: the node of the known match skips them.
    const std::int32_t known_pos = known.length > 0 ? pos - known.offset - 1 : -1;
    const int known_len = std::min<int>(known.length, limit);
    for (;;) {
        std::int32_t dist = pos - cur;
        if (cur < 0 || dist >= window_ || depth-- == 0) {
            *ptr0 = *ptr1 = -1;
            break;
        }
        std::int32_t* pair = &son_[(static_cast<std::uint32_t>(cur) & mask_) << 1];
        const unsigned char* m = buf + cur;
        int len = len0 < len1 ? len0 : len1;
        if (cur == known_pos && known_len > len) len = (known_len < tl ? known_len : tl) - 1;
        if (m[len] == s[len]) {
            len = extend(m, s, len + 1, tl);
            if (len > best) {
                best = len;
                if (Collect) {
                    int full = len;
                    if (len >= tl)
                        full = extend(m, s, cur == known_pos && known_len > tl ? known_len : tl, limit);
                    out[n++] = Match{static_cast<std::uint16_t>(full), static_cast<std::uint16_t>(dist - 1)};
                }
                if (len >= tl) {
                    *ptr1 = pair[0];
                    *ptr0 = pair[1];
                    break;
                }
            }
        }
        if (m[len] < s[len]) {
            *ptr1 = cur;
            ptr1 = pair + 1;
            cur = *ptr1;
            len1 = len;
        } else {
            *ptr0 = cur;
            ptr0 = pair;
            cur = *ptr0;
            len0 = len;
        }
    }
    return n;
}

int MatchFinder::find(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out) {
    return walk<true>(buf, pos, limit, known, out);
}

void MatchFinder::skip(const unsigned char* buf, std::int32_t pos, int limit, Match known) {
    walk<false>(buf, pos, limit, known, nullptr);
}

void MatchFinder::reset() {
    std::fill(head_.begin(), head_.end(), -1);
    std::fill(son_.begin(), son_.end(), -1);
}

void MatchFinder::slide(std::int32_t delta) {
    for (auto& v : head_) v = v >= delta ? v - delta : -1;
    for (auto& v : son_) v = v >= delta ? v - delta : -1;
}

}  // namespace lha::detail
