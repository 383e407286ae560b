#include "ChunkParser.h"

#include "BlockWriter.h"
#include "HuffmanBuilder.h"

#include <algorithm>
#include <cstring>

namespace lha::detail {

namespace {

// Positions parsed with one set of statistics. The match lists, costs and symbols of a segment
// are held at once, per thread: at 256 Ki two threads took 10 MiB more, for 0.01 to 0.08% less.
constexpr std::int32_t kSegment = 131072;
constexpr std::uint32_t kInfinity = 0xFFFFFFFFu;
constexpr std::uint16_t kContinuation = 0x8000;  // Match::length flag: the tail of a long match
constexpr std::uint16_t kLengthMask = 0x1FF;
constexpr int kLengthsWeighed = 9;  // per match in the minimum-cost pass

}  // namespace

ChunkParser::ChunkParser(MethodParams params, EncoderOptions options)
    : params_(params),
      options_(options),
      window_(std::int32_t{1} << params.dict_bits),
      finder_(params.dict_bits, options.depth, options.nice_length) {}

void ChunkParser::start(const unsigned char* buf, std::int32_t history, std::int32_t end) {
    buf_ = buf;
    data_end_ = end;
    pos_ = history;
    finder_.start(end);
    // Earlier input goes into the tree first, so that matches may reach back into it.
    for (std::int32_t i = std::max<std::int32_t>(0, history - window_ + 1); i < history; ++i)
        if (end - i >= kMinMatch)
            finder_.skip(buf, i, static_cast<int>(std::min<std::int32_t>(end - i, kMaxMatch)), Match{0, 0});
    skip_to_ = 0;
}

bool ChunkParser::next() {
    symbols_.clear();
    if (pos_ >= data_end_) return false;
    const std::int32_t pos = pos_;
    const std::int32_t seg_end = std::min(pos + kSegment, data_end_);
    gather(pos, seg_end);
    parse_lazy(pos, seg_end);
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges{{pos, seg_end}};
    std::vector<std::pair<std::size_t, std::size_t>> stats{{0, symbols_.size()}};
    for (int pass = 0; pass < options_.passes; ++pass) {
        // Each range is parsed with costs from its own symbols of the previous pass; the ranges
        // are the blocks those symbols would be cut into.
        split_ranges(0, pos, ranges, stats);
        std::vector<Costs> range_costs(ranges.size());
        for (std::size_t r = 0; r < ranges.size(); ++r)
            costs_from_symbols(stats[r].first, stats[r].second, range_costs[r]);
        symbols_.clear();
        stats.clear();
        for (std::size_t r = 0; r < ranges.size(); ++r) {
            const std::size_t before = symbols_.size();
            parse_optimal(ranges[r].first, ranges[r].second, range_costs[r]);
            stats.emplace_back(before, symbols_.size());
        }
    }
    pos_ = seg_end;
    return true;
}

void ChunkParser::gather(std::int32_t begin, std::int32_t end) {
    seg_begin_ = begin;
    const std::size_t span = static_cast<std::size_t>(end - begin);
    // Two a position is more than text or code needs; the buffer grows when one needs more.
    if (matches_.size() < span * 2 + 300) matches_.resize(span * 2 + 300);
    first_.resize(span + 1);
    std::uint32_t n = 0;
    const unsigned char* b = buf_;
    // The longest match of the previous position, one shorter, holds here too.
    Match known{0, 0};
    for (std::int32_t i = begin; i < end; ++i) {
        first_[static_cast<std::size_t>(i - begin)] = n;
        std::int32_t avail = data_end_ - i;
        if (avail < kMinMatch) continue;
        int limit = static_cast<int>(std::min<std::int32_t>(avail, kMaxMatch));
        if (n + 300 > matches_.size()) matches_.resize(matches_.size() * 2);
        if (i < skip_to_) {
            // Inside a long match: only insert, and offer the rest of that match from here.
            const Match rest{static_cast<std::uint16_t>(skip_to_ - i), skip_offset_};
            finder_.skip(b, i, limit, rest);
            if (rest.length >= kMinMatch)
                matches_[n++] = Match{static_cast<std::uint16_t>(rest.length | kContinuation), skip_offset_};
            known = Match{static_cast<std::uint16_t>(rest.length - 1), skip_offset_};
            continue;
        }
        Match* out = matches_.data() + n;
        const int k = finder_.find(b, i, limit, known, out);
        n += static_cast<std::uint32_t>(k);
        known = Match{0, 0};
        if (k == 0) continue;
        const Match top = out[k - 1];
        known = Match{static_cast<std::uint16_t>(top.length - 1), top.offset};
        if (top.length >= options_.nice_length) {
            skip_to_ = i + top.length;
            skip_offset_ = top.offset;
        }
    }
    first_[span] = n;
    // A long match cut by the segment end must not leave the next segment without matches.
    skip_to_ = std::min(skip_to_, end);
}

void ChunkParser::parse_lazy(std::int32_t begin, std::int32_t end) {
    const unsigned char* b = buf_;
    auto longest = [&](std::int32_t i, int& len, unsigned& off) {
        std::uint32_t f = first_[static_cast<std::size_t>(i - begin)],
                      l = first_[static_cast<std::size_t>(i - begin) + 1];
        len = 0;
        if (l > f) {
            const Match& m = matches_[l - 1];
            len = std::min<int>(m.length & kLengthMask, end - i);
            off = m.offset;
        }
    };
    std::int32_t i = begin;
    while (i < end) {
        int len;
        unsigned off = 0;
        longest(i, len, off);
        if (len >= kMinMatch && i + 1 < end) {
            int len2;
            unsigned off2 = 0;
            longest(i + 1, len2, off2);
            if (len2 > len + 1 || (len2 > len && position_class(off2) <= position_class(off))) len = 0;
        }
        if (len >= kMinMatch) {
            symbols_.push_back(match_symbol(len, off));
            i += len;
        } else {
            symbols_.push_back(b[i]);
            ++i;
        }
    }
}

void ChunkParser::parse_optimal(std::int32_t begin, std::int32_t end, const Costs& costs) {
    const std::size_t n = static_cast<std::size_t>(end - begin);
    const std::uint32_t* first = first_.data() + (begin - seg_begin_);
    // Every entry is written before it is read; only the end needs a value.
    if (cost_.size() < n + 1) cost_.resize(n + 1);
    if (choice_.size() < n + 1) choice_.resize(n + 1);
    cost_[n] = 0;
    const unsigned char* b = buf_ + begin;
    const std::uint32_t* len_cost = costs.c + 256 - kMinMatch;
    for (std::size_t i = n; i-- > 0;) {
        std::uint32_t best = cost_[i + 1] + costs.c[b[i]];
        std::uint32_t pick = 1u << 16;
        std::uint32_t f = first[i], l = first[i + 1];
        int prev = kMinMatch - 1;
        const int room = static_cast<int>(n - i);
        const std::uint32_t* after = cost_.data() + i;
        for (std::uint32_t k = f; k < l && prev < room; ++k) {
            const Match& m = matches_[k];
            const int top = std::min<int>(m.length & kLengthMask, room);
            // Only the last few lengths of a long match are weighed: the cheapest length is
            // nearly always among them, and weighing every length of long matches at every
            // position was a third of this pass.
            int from = (top >= options_.nice_length || (m.length & kContinuation)) ? top : prev + 1;
            if (top - from >= kLengthsWeighed) from = top - kLengthsWeighed + 1;
            // The distance cost is the same for every length of this match: find the best length first.
            std::uint32_t low = kInfinity;
            int low_len = top;
            for (int len = from; len <= top; ++len) {
                std::uint32_t c = after[len] + len_cost[len];
                if (c < low) {
                    low = c;
                    low_len = len;
                }
            }
            low += costs.p[position_class(m.offset)];
            if (low < best) {
                best = low;
                pick = (static_cast<std::uint32_t>(low_len) << 16) | m.offset;
            }
            prev = top;
        }
        cost_[i] = best;
        choice_[i] = pick;
    }
    for (std::size_t i = 0; i < n;) {
        std::uint32_t len = choice_[i] >> 16;
        if (len == 1) {
            symbols_.push_back(b[i]);
            ++i;
        } else {
            symbols_.push_back((256 + len - kMinMatch) | ((choice_[i] & 0xFFFF) << 10));
            i += len;
        }
    }
}

void ChunkParser::costs_from_symbols(std::size_t from, std::size_t to, Costs& costs) const {
    std::uint32_t cf[kNC] = {}, pf[32] = {};
    for (std::size_t k = from; k < to; ++k) {
        std::uint32_t s = symbols_[k];
        ++cf[s & 1023];
        if ((s & 1023) >= 256) ++pf[position_class(s >> 10)];
    }
    std::uint8_t cl[kNC], pl[32];
    build_code_lengths(cf, kNC, 16, cl);
    const int np = params_.np();
    build_code_lengths(pf, np, 16, pl);
    auto fill = [](const std::uint8_t* len, const std::uint32_t* freq, int n, std::uint32_t* out) {
        int maxl = 0;
        for (int i = 0; i < n; ++i) maxl = std::max<int>(maxl, len[i]);
        // Unused symbols: a little longer than the longest code (adding one costs table space).
        const std::uint32_t unused = static_cast<std::uint32_t>(std::min(maxl + 2, 18));
        for (int i = 0; i < n; ++i) out[i] = len[i] ? len[i] : (freq[i] ? 0 : unused);
    };
    fill(cl, cf, kNC, costs.c);
    fill(pl, pf, np, costs.p);
    for (int p = 2; p < np; ++p) costs.p[p] += static_cast<std::uint32_t>(p - 1);
    for (int p = np; p < 32; ++p) costs.p[p] = kInfinity / 4;
}

void ChunkParser::split_ranges(std::size_t s0, std::int32_t pos,
                               std::vector<std::pair<std::int32_t, std::int32_t>>& ranges,
                               std::vector<std::pair<std::size_t, std::size_t>>& stats) {
    // Cut the segment's symbols as blocks would be cut, and map the cuts back to positions.
    const std::int32_t end = ranges.back().second;
    planner_.clear();
    planner_.add(symbols_.data(), s0, symbols_.size());
    const std::vector<std::size_t> cuts = planner_.plan(0);
    ranges.clear();
    stats.clear();
    std::size_t sym = s0;
    std::int32_t p = pos;
    for (std::size_t c : cuts) {
        const std::size_t sym_end = planner_.piece_end(c - 1);
        const std::size_t sym_begin = sym;
        const std::int32_t p0 = p;
        for (; sym < sym_end; ++sym) {
            const std::uint32_t code = symbols_[sym] & 1023;
            p += code < 256 ? 1 : static_cast<std::int32_t>(code - 256 + kMinMatch);
        }
        ranges.emplace_back(p0, p);
        stats.emplace_back(sym_begin, sym_end);
    }
    if (ranges.empty()) {
        ranges.emplace_back(pos, end);
        stats.emplace_back(s0, s0);
    }
    ranges.back().second = end;
}

}  // namespace lha::detail
