#include "MatchFinder.h"

#include "LzhFormat.h"

#include <algorithm>
#include <cstring>

namespace lha::detail {

namespace {

// Eight bytes, the first in the low bits (so the first differing byte is the lowest set one).
inline std::uint64_t load64(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

// Length of the common prefix of a and b, starting at `len`, at most `limit`.
inline int extend(const unsigned char* a, const unsigned char* b, int len, int limit) {
    while (len + 8 <= limit) {
        const std::uint64_t x = load64(a + len) ^ load64(b + len);
        if (x != 0) return len + (__builtin_ctzll(x) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

// Hash of the first k bytes of `v` (k < 8 masks the rest off).
inline std::uint32_t hash_bytes(std::uint64_t v, int k, int shift) {
    if (k < 8) v &= (std::uint64_t{1} << (8 * k)) - 1;
    return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> shift);
}

// Tables about twice the window: larger ones only cost cache misses.
int hash_bits(int dict_bits) {
    return dict_bits + 1 < 16 ? dict_bits + 1 : 16;
}

constexpr int kTables = MatchFinder::kTreeKey - kMinMatch;
// The short-match tables are larger than the tree roots: a collision there loses the match
// outright, and binary data has many short ones. At 2^16 binary lh5 grew by 0.02%; 2^18 took
// back most of the remaining loss but was slower (a table larger than the caches can keep).
constexpr int kTableBits = 17;

}  // namespace

MatchFinder::MatchFinder(int dict_bits, int depth, int tree_limit)
    : window_(std::int32_t{1} << dict_bits),
      mask_((1u << dict_bits) - 1),
      depth_(depth),
      tree_limit_(std::max(tree_limit, kTreeKey)),
      hash_shift_(64 - hash_bits(dict_bits)),
      table_shift_(64 - kTableBits),
      table_size_(std::size_t{1} << kTableBits),
      short_(table_size_ * kTables, -1),
      head_(std::size_t{1} << hash_bits(dict_bits), -1),
      son_(std::size_t{2} << dict_bits, -1) {}

template <bool Collect>
int MatchFinder::insert(const unsigned char* buf, std::int32_t pos, int limit, Match known, Match* out) {
    const std::uint64_t v = load64(buf + pos);
    {
        // Positions come in order: fetch the table entries of the one after next early, as
        // their loads would otherwise stall (positions two ahead are readable, limit >= 3).
        const std::uint64_t ahead = load64(buf + pos + 2);
        for (int t = 0; t < kTables; ++t)
            __builtin_prefetch(&short_[static_cast<std::size_t>(t) * table_size_ +
                                       hash_bytes(ahead, kMinMatch + t, table_shift_)],
                               1);
        __builtin_prefetch(&head_[hash_bytes(ahead, kTreeKey, hash_shift_)], 1);
    }
    const std::int32_t g = pos + origin_;
    const int cap = std::min(limit, kTreeKey - 1);
    int best = kMinMatch - 1, n = 0;
    for (int t = 0; t < kTables; ++t) {
        const int k = kMinMatch + t;
        if (k > limit) break;
        std::int32_t& slot =
            short_[static_cast<std::size_t>(t) * table_size_ + hash_bytes(v, k, table_shift_)];
        const std::int32_t cur = slot;
        slot = g;
        if (!Collect || cur < 0 || g - cur >= window_) continue;
        const std::uint64_t x = load64(buf + (cur - origin_)) ^ v;
        int len = x != 0 ? __builtin_ctzll(x) >> 3 : 8;
        len = len < cap ? len : cap;
        if (len >= k && len > best) {
            best = len;
            out[n++] = Match{static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(g - cur - 1)};
        }
    }
    if (limit < kTreeKey) return n;
    return n + walk<Collect>(buf, pos, limit, v, known, best, out + n);
}

template <bool Collect>
int MatchFinder::walk(const unsigned char* buf, std::int32_t pos, int limit, std::uint64_t key, Match known,
                      int best, Match* out) {
    const std::uint32_t h = hash_bytes(key, kTreeKey, hash_shift_);
    std::int32_t cur = head_[h];
    const std::int32_t g = pos + origin_;
    head_[h] = g;
    std::int32_t* ptr0 = &son_[((static_cast<std::uint32_t>(g) & mask_) << 1) + 1];
    std::int32_t* ptr1 = &son_[(static_cast<std::uint32_t>(g) & mask_) << 1];
    const unsigned char* s = buf + pos;
    // The tree orders strings by their first `tl` bytes only, the same bound for every position,
    // which keeps it consistent; a match reaching the bound is then extended directly.
    const int tl = limit < tree_limit_ ? limit : tree_limit_;
    int len0 = 0, len1 = 0, n = 0, depth = depth_;
    // Long repeats make most of the compared bytes: the node of the known match skips them.
    const std::int32_t known_pos = known.length > 0 ? g - known.offset - 1 : -1;
    const int known_len = std::min<int>(known.length, limit);
    for (;;) {
        std::int32_t dist = g - cur;
        if (cur < 0 || dist >= window_ || depth-- == 0) {
            *ptr0 = *ptr1 = -1;
            break;
        }
        std::int32_t* pair = &son_[(static_cast<std::uint32_t>(cur) & mask_) << 1];
        const unsigned char* m = s - dist;
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
    return insert<true>(buf, pos, limit, known, out);
}

void MatchFinder::skip(const unsigned char* buf, std::int32_t pos, int limit, Match known) {
    insert<false>(buf, pos, limit, known, nullptr);
}

void MatchFinder::start(std::int32_t span) {
    // Stored numbers stay below 2^30, far from overflow in the distance arithmetic.
    if (top_ == 0 || static_cast<std::int64_t>(top_) + window_ + span >= (std::int64_t{1} << 30)) {
        if (top_ != 0) reset();
        origin_ = 0;
    } else {
        origin_ = top_ + window_;
    }
    top_ = origin_ + span;
}

void MatchFinder::reset() {
    std::fill(short_.begin(), short_.end(), -1);
    std::fill(head_.begin(), head_.end(), -1);
    std::fill(son_.begin(), son_.end(), -1);
}

}  // namespace lha::detail
