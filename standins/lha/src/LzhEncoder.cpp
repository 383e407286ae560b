#include "LzhEncoder.h"

#include "HuffmanBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lha::detail {

namespace {

constexpr std::int32_t kSegment = 262144;             // positions parsed together (<= block limit)
constexpr std::int32_t kLookahead = kMaxMatch + 8;   // bytes kept beyond the segment end
constexpr std::uint32_t kInfinity = 0xFFFFFFFFu;
constexpr std::uint16_t kContinuation = 0x8000; // Match::length flag: the tail of a long match
constexpr std::uint16_t kLengthMask = 0x1FF;

std::int32_t input_span(std::int32_t window) { return std::max<std::int32_t>(window * 4, 256 * 1024); }

} // namespace

LzhEncoder::LzhEncoder(MethodParams params, EncoderOptions options)
    : params_(params), options_(options), window_(std::int32_t{1} << params.dict_bits),
      finder_(params.dict_bits, options.depth), flog_(1, 0.0f) {}

std::size_t LzhEncoder::full_buffer() const {
  return static_cast<std::size_t>(window_ + input_span(window_) + kSegment + kLookahead + 16);
}

void LzhEncoder::grow_flog(std::size_t n) {
  // f * log2(f) for the block cost estimate, extended as larger counts turn up.
  for (std::size_t f = flog_.size(); f <= n; ++f)
    flog_.push_back(static_cast<float>(static_cast<double>(f) * std::log2(static_cast<double>(f))));
}

void LzhEncoder::gather(std::int32_t begin, std::int32_t end) {
  const std::size_t span = static_cast<std::size_t>(end - begin);
  if (matches_.size() < span * 4 + 300)
    matches_.resize(span * 4 + 300);
  first_.resize(span + 1);
  std::uint32_t n = 0;
  Match tmp[300];
  const unsigned char *b = buf_.data();
  for (std::int32_t i = begin; i < end; ++i) {
    first_[static_cast<std::size_t>(i - begin)] = n;
    std::int32_t avail = data_end_ - i;
    if (avail < kMinMatch)
      continue;
    int limit = static_cast<int>(std::min<std::int32_t>(avail, kMaxMatch));
    if (n + 300 > matches_.size())
      matches_.resize(matches_.size() * 2);
    if (i < skip_to_) {
      // Inside a long match: only insert, and offer the rest of that match from here.
      finder_.skip(b, i, limit);
      if (skip_to_ - i >= kMinMatch)
        matches_[n++] = Match{static_cast<std::uint16_t>((skip_to_ - i) | kContinuation), skip_offset_};
      continue;
    }
    int k = finder_.find(b, i, limit, tmp);
    if (k == 0)
      continue;
    std::copy(tmp, tmp + k, matches_.begin() + n);
    n += static_cast<std::uint32_t>(k);
    if (tmp[k - 1].length >= options_.nice_length) {
      skip_to_ = i + tmp[k - 1].length;
      skip_offset_ = tmp[k - 1].offset;
    }
  }
  first_[span] = n;
  // A long match cut by the segment end must not leave the next segment without matches.
  skip_to_ = std::min(skip_to_, end);
}

// Longest match at each step, deferred by one position when the next one is longer.
void LzhEncoder::parse_lazy(std::int32_t begin, std::int32_t end) {
  const unsigned char *b = buf_.data();
  auto longest = [&](std::int32_t i, int &len, unsigned &off) {
    std::uint32_t f = first_[static_cast<std::size_t>(i - begin)], l = first_[static_cast<std::size_t>(i - begin) + 1];
    len = 0;
    if (l > f) {
      const Match &m = matches_[l - 1];
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
      if (len2 > len + 1 || (len2 > len && position_class(off2) <= position_class(off)))
        len = 0;
    }
    if (len >= kMinMatch) {
      symbols_.push_back(static_cast<std::uint32_t>(256 + len - kMinMatch) | (off << 10));
      i += len;
    } else {
      symbols_.push_back(b[i]);
      ++i;
    }
  }
}

void LzhEncoder::parse_optimal(std::int32_t begin, std::int32_t end, const Costs &costs) {
  const std::size_t n = static_cast<std::size_t>(end - begin);
  cost_.assign(n + 1, 0);
  choice_.assign(n + 1, 1u << 16);
  const unsigned char *b = buf_.data() + begin;
  const std::uint32_t *len_cost = costs.c + 256 - kMinMatch;
  for (std::size_t i = n; i-- > 0;) {
    std::uint32_t best = cost_[i + 1] + costs.c[b[i]];
    std::uint32_t pick = 1u << 16;
    std::uint32_t f = first_[i], l = first_[i + 1];
    int prev = kMinMatch - 1;
    const int room = static_cast<int>(n - i);
    const std::uint32_t *after = cost_.data() + i;
    for (std::uint32_t k = f; k < l && prev < room; ++k) {
      const Match &m = matches_[k];
      const int top = std::min<int>(m.length & kLengthMask, room);
      const int from = (top >= options_.nice_length || (m.length & kContinuation)) ? top : prev + 1;
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

void LzhEncoder::costs_from_symbols(std::size_t from, Costs &costs) const {
  std::uint32_t cf[kNC] = {}, pf[32] = {};
  for (std::size_t k = from; k < symbols_.size(); ++k) {
    std::uint32_t s = symbols_[k];
    ++cf[s & 1023];
    if ((s & 1023) >= 256)
      ++pf[position_class(s >> 10)];
  }
  std::uint8_t cl[kNC], pl[32];
  build_code_lengths(cf, kNC, 16, cl);
  const int np = params_.np();
  build_code_lengths(pf, np, 16, pl);
  auto fill = [](const std::uint8_t *len, const std::uint32_t *freq, int n, std::uint32_t *out) {
    int maxl = 0;
    for (int i = 0; i < n; ++i)
      maxl = std::max<int>(maxl, len[i]);
    // Unused symbols: a little longer than the longest code (adding one costs table space).
    const std::uint32_t unused = static_cast<std::uint32_t>(std::min(maxl + 2, 18));
    for (int i = 0; i < n; ++i)
      out[i] = len[i] ? len[i] : (freq[i] ? 0 : unused);
  };
  fill(cl, cf, kNC, costs.c);
  fill(pl, pf, np, costs.p);
  for (int p = 2; p < np; ++p)
    costs.p[p] += static_cast<std::uint32_t>(p - 1);
  for (int p = np; p < 32; ++p)
    costs.p[p] = kInfinity / 4;
}

void LzhEncoder::write_block(const std::uint32_t *syms, std::size_t n, BitWriter &out) {
  const int np = params_.np(), pbits = params_.pbits();
  std::uint32_t cf[kNC] = {}, pf[32] = {};
  for (std::size_t k = 0; k < n; ++k) {
    std::uint32_t c = syms[k] & 1023;
    ++cf[c];
    if (c >= 256)
      ++pf[position_class(syms[k] >> 10)];
  }
  std::uint8_t cl[kNC], pl[32] = {}, tl[kNT];
  std::uint16_t cc[kNC], pc[32], tc[kNT];
  int cused = build_code_lengths(cf, kNC, 16, cl);
  int pused = build_code_lengths(pf, np, 16, pl);
  out.put(16, static_cast<std::uint32_t>(n));

  auto write_pt = [&](const std::uint8_t *len, int count, int nbits, int special) {
    int m = count;
    while (m > 0 && len[m - 1] == 0)
      --m;
    out.put(nbits, static_cast<std::uint32_t>(m));
    int i = 0;
    while (i < m) {
      int k = len[i++];
      if (k <= 6)
        out.put(3, static_cast<std::uint32_t>(k));
      else
        out.put(k - 3, (1u << (k - 3)) - 2); // 111, then k-7 ones, then a zero
      if (i == special) {
        int z = 0;
        while (z < 3 && i < m && len[i] == 0) {
          ++z;
          ++i;
        }
        out.put(2, static_cast<std::uint32_t>(z));
      }
    }
  };

  if (cused <= 1) {
    int sym = 0;
    for (int s = 0; s < kNC; ++s)
      if (cf[s])
        sym = s;
    out.put(kTBits, 0);
    out.put(kTBits, 0);
    out.put(kCBits, 0);
    out.put(kCBits, static_cast<std::uint32_t>(sym));
  } else {
    int m = kNC;
    while (m > 0 && cl[m - 1] == 0)
      --m;
    // Code-length symbols: 0 = one zero, 1 = 3..18 zeros (4 bits), 2 = 20.. zeros (9 bits),
    // k + 2 = length k.
    struct Item {
      std::uint8_t sym;
      std::uint16_t extra;
    };
    std::vector<Item> items;
    std::uint32_t tf[kNT] = {};
    for (int i = 0; i < m;) {
      if (cl[i] == 0) {
        int run = 0;
        while (i < m && cl[i] == 0) {
          ++run;
          ++i;
        }
        while (run > 0) {
          if (run <= 2) {
            items.push_back({0, 0});
            --run;
          } else if (run <= 18) {
            items.push_back({1, static_cast<std::uint16_t>(run - 3)});
            run = 0;
          } else if (run == 19) {
            items.push_back({0, 0});
            --run;
          } else {
            int r = std::min(run, 20 + 511);
            items.push_back({2, static_cast<std::uint16_t>(r - 20)});
            run -= r;
          }
        }
      } else {
        items.push_back({static_cast<std::uint8_t>(cl[i] + 2), 0});
        ++i;
      }
    }
    for (auto &it : items)
      ++tf[it.sym];
    int tused = build_code_lengths(tf, kNT, 16, tl);
    if (tused <= 1) {
      out.put(kTBits, 0);
      out.put(kTBits, items[0].sym);
      std::fill(tl, tl + kNT, std::uint8_t{0});
    } else {
      write_pt(tl, kNT, kTBits, kTSpecial);
    }
    build_codes(tl, kNT, tc);
    out.put(kCBits, static_cast<std::uint32_t>(m));
    for (auto &it : items) {
      out.put(tl[it.sym], tc[it.sym]);
      if (it.sym == 1)
        out.put(4, it.extra);
      else if (it.sym == 2)
        out.put(kCBits, it.extra);
    }
  }
  if (pused <= 1) {
    int sym = 0;
    for (int s = 0; s < np; ++s)
      if (pf[s])
        sym = s;
    out.put(pbits, 0);
    out.put(pbits, static_cast<std::uint32_t>(sym));
    std::fill(pl, pl + np, std::uint8_t{0});
  } else {
    write_pt(pl, np, pbits, -1);
  }
  build_codes(cl, kNC, cc);
  build_codes(pl, np, pc);
  for (std::size_t k = 0; k < n; ++k) {
    std::uint32_t s = syms[k], c = s & 1023;
    out.put(cl[c], cc[c]);
    if (c >= 256) {
      unsigned off = s >> 10;
      int p = position_class(off);
      out.put(pl[p], pc[p]);
      if (p >= 2)
        out.put(p - 1, off - (1u << (p - 1)));
    }
  }
}

double LzhEncoder::estimate_bits(std::size_t a, std::size_t b) const {
  // Entropy of the symbols of pieces [a, b) plus a rough table size; for comparing cuts only.
  const std::uint32_t *lo = &piece_hist_[a * kHistSize], *hi = &piece_hist_[b * kHistSize];
  double bits = 0;
  std::uint32_t nc = 0, np = 0, usedc = 0;
  double sc = 0, sp = 0;
  for (int k = 0; k < kNC; ++k) {
    std::uint32_t f = hi[k] - lo[k];
    if (f) {
      nc += f;
      sc += flog_[f];
      ++usedc;
    }
  }
  for (std::size_t k = kNC; k < kHistSize; ++k) {
    std::uint32_t f = hi[k] - lo[k];
    if (f) {
      np += f;
      sp += flog_[f];
    }
  }
  bits += (nc ? flog_[nc] - sc : 0) + (np ? flog_[np] - sp : 0);
  return bits + 110.0 + 4.0 * usedc;
}

void LzhEncoder::add_pieces(std::size_t from) {
  // Pieces of at most kPiece symbols; the histograms are running sums over all pending pieces.
  if (piece_end_.empty()) {
    piece_hist_.assign(kHistSize, 0);
  }
  std::size_t k = from;
  while (k < symbols_.size()) {
    std::size_t e = std::min(symbols_.size(), k + kPiece);
    std::size_t base = piece_hist_.size() - kHistSize;
    piece_hist_.resize(piece_hist_.size() + kHistSize);
    std::uint32_t *h = &piece_hist_[base + kHistSize];
    std::copy(&piece_hist_[base], &piece_hist_[base] + kHistSize, h);
    for (std::size_t q = k; q < e; ++q) {
      std::uint32_t sym = symbols_[q], c = sym & 1023;
      ++h[c];
      if (c >= 256)
        ++h[kNC + position_class(sym >> 10)];
    }
    piece_end_.push_back(e);
    k = e;
  }
}

void LzhEncoder::emit_blocks(bool final, BitWriter &out) {
  const std::size_t n = piece_end_.size();
  if (n == 0)
    return;
  grow_flog(std::min<std::size_t>(symbols_.size(), kMaxBlockSymbols) + 1);
  // Cheapest cut of the pending pieces into blocks (each within the block symbol limit).
  std::vector<double> best(n + 1, 0.0);
  std::vector<std::size_t> from(n + 1, 0);
  auto start = [&](std::size_t i) { return i == 0 ? std::size_t{0} : piece_end_[i - 1]; };
  for (std::size_t j = 1; j <= n; ++j) {
    best[j] = -1;
    for (std::size_t i = j; i-- > 0;) {
      if (piece_end_[j - 1] - start(i) > static_cast<std::size_t>(kMaxBlockSymbols))
        break;
      double c = best[i] + estimate_bits(i, j);
      if (best[j] < 0 || c < best[j]) {
        best[j] = c;
        from[j] = i;
      }
    }
  }
  std::vector<std::size_t> cuts;
  for (std::size_t j = n; j > 0; j = from[j])
    cuts.push_back(j);
  std::reverse(cuts.begin(), cuts.end());
  // Unless this is the end, the last block stays pending: the next segment may join it.
  std::size_t keep_from = final ? n : (cuts.size() >= 2 ? cuts[cuts.size() - 2] : 0);
  std::size_t prev = 0;
  for (std::size_t c : cuts) {
    if (c > keep_from)
      break;
    write_block(symbols_.data() + start(prev), piece_end_[c - 1] - start(prev), out);
    prev = c;
  }
  if (prev == 0)
    return;
  const std::size_t drop = piece_end_[prev - 1];
  symbols_.erase(symbols_.begin(), symbols_.begin() + static_cast<std::ptrdiff_t>(drop));
  std::vector<std::size_t> ends;
  for (std::size_t k = prev; k < n; ++k)
    ends.push_back(piece_end_[k] - drop);
  piece_end_ = ends;
  piece_hist_.erase(piece_hist_.begin(), piece_hist_.begin() + static_cast<std::ptrdiff_t>(prev * kHistSize));
  // Rebase the running sums on the new first boundary.
  std::vector<std::uint32_t> base(piece_hist_.begin(), piece_hist_.begin() + kHistSize);
  for (std::size_t k = 0; k < piece_hist_.size(); ++k)
    piece_hist_[k] -= base[k % kHistSize];
}

void LzhEncoder::encode(const Input &in, BitWriter &out, std::uint64_t size_hint) {
  const std::int32_t span = input_span(window_);
  // Small inputs get a small buffer; it grows to the full size if the input turns out longer.
  const std::size_t full = full_buffer();
  const std::size_t want = static_cast<std::size_t>(
      std::min<std::uint64_t>(full, static_cast<std::uint64_t>(window_) + size_hint + kLookahead + 16 + 1));
  if (buf_.size() < want)
    buf_.resize(want);
  std::int32_t cap = static_cast<std::int32_t>(buf_.size()) - 16;
  std::int32_t pos = window_; // [0, window_) is history (none yet)
  data_end_ = window_;
  skip_to_ = 0;
  symbols_.clear();
  piece_end_.clear();
  piece_hist_.clear();
  finder_.reset();
  bool eof = false;
  Costs costs{};
  for (;;) {
    if (!eof && data_end_ == cap && buf_.size() < full) {
      buf_.resize(full);
      cap = static_cast<std::int32_t>(buf_.size()) - 16;
    }
    while (!eof && data_end_ < cap) {
      std::size_t got = in(buf_.data() + data_end_, static_cast<std::size_t>(cap - data_end_));
      if (got == 0)
        eof = true;
      data_end_ += static_cast<std::int32_t>(got);
    }
    if (pos >= data_end_)
      break;
    std::int32_t end = std::min(pos + kSegment, data_end_);
    if (!eof)
      end = std::min(end, data_end_ - kLookahead);
    gather(pos, end);
    const std::size_t s0 = symbols_.size();
    parse_lazy(pos, end);
    for (int pass = 0; pass < options_.passes; ++pass) {
      costs_from_symbols(s0, costs);
      symbols_.resize(s0);
      parse_optimal(pos, end, costs);
    }
    add_pieces(s0);
    emit_blocks(false, out);
    pos = end;
    if (pos >= window_ + span) {
      // Keep the last window of history, drop the rest.
      const std::int32_t delta = span;
      std::memmove(buf_.data(), buf_.data() + delta, static_cast<std::size_t>(data_end_ - delta));
      data_end_ -= delta;
      pos -= delta;
      skip_to_ = std::max<std::int32_t>(skip_to_ - delta, 0);
      finder_.slide(delta);
    }
  }
  emit_blocks(true, out);
}

} // namespace lha::detail
