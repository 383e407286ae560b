#include "LzhEncoder.h"

#include "HuffmanBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lha::detail {

namespace {

constexpr std::int32_t kSegment = 65535;             // positions parsed together (<= block limit)
constexpr std::int32_t kLookahead = kMaxMatch + 8;   // bytes kept beyond the segment end
constexpr std::uint32_t kInfinity = 0xFFFFFFFFu;

std::int32_t input_span(std::int32_t window) { return std::max<std::int32_t>(window * 4, 256 * 1024); }

} // namespace

LzhEncoder::LzhEncoder(MethodParams params, EncoderOptions options)
    : params_(params), options_(options), window_(std::int32_t{1} << params.dict_bits),
      buf_(static_cast<std::size_t>(window_ + input_span(window_) + kSegment + kLookahead + 16)),
      finder_(params.dict_bits, options.depth) {}

void LzhEncoder::gather(std::int32_t begin, std::int32_t end) {
  const int maxm = options_.depth + 1;
  matches_.resize(static_cast<std::size_t>(end - begin) * 4 + static_cast<std::size_t>(maxm));
  first_.resize(static_cast<std::size_t>(end - begin) + 1);
  std::uint32_t n = 0;
  Match tmp[300];
  const unsigned char *b = buf_.data();
  for (std::int32_t i = begin; i < end; ++i) {
    first_[static_cast<std::size_t>(i - begin)] = n;
    std::int32_t avail = data_end_ - i;
    if (avail < kMinMatch)
      continue;
    int limit = static_cast<int>(std::min<std::int32_t>(avail, kMaxMatch));
    if (i < skip_to_) {
      finder_.skip(b, i, limit);
      continue;
    }
    int k = finder_.find(b, i, limit, tmp);
    if (k == 0)
      continue;
    if (n + static_cast<std::uint32_t>(k) > matches_.size())
      matches_.resize(matches_.size() * 2 + static_cast<std::size_t>(k));
    std::copy(tmp, tmp + k, matches_.begin() + n);
    n += static_cast<std::uint32_t>(k);
    if (tmp[k - 1].length >= options_.nice_length)
      skip_to_ = i + tmp[k - 1].length;
  }
  first_[static_cast<std::size_t>(end - begin)] = n;
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
      len = std::min<int>(m.length, end - i);
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
  for (std::size_t i = n; i-- > 0;) {
    std::uint32_t best = cost_[i + 1] + costs.c[b[i]];
    std::uint32_t pick = 1u << 16;
    std::uint32_t f = first_[i], l = first_[i + 1];
    int prev = kMinMatch - 1;
    const int room = static_cast<int>(n - i);
    for (std::uint32_t k = f; k < l && prev < room; ++k) {
      const Match &m = matches_[k];
      const std::uint32_t pc = costs.p[position_class(m.offset)];
      const int top = std::min<int>(m.length, room);
      const int from = (top >= options_.nice_length) ? top : prev + 1;
      for (int len = from; len <= top; ++len) {
        std::uint32_t c = cost_[i + static_cast<std::size_t>(len)] + costs.c[256 + len - kMinMatch] + pc;
        if (c < best) {
          best = c;
          pick = (static_cast<std::uint32_t>(len) << 16) | m.offset;
        }
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

void LzhEncoder::emit_blocks(std::size_t from, BitWriter &out) {
  std::size_t n = symbols_.size() - from;
  const std::uint32_t *s = symbols_.data() + from;
  while (n > 0) {
    std::size_t k = std::min<std::size_t>(n, kMaxBlockSymbols);
    write_block(s, k, out);
    s += k;
    n -= k;
  }
  symbols_.resize(from);
}

void LzhEncoder::encode(const Input &in, BitWriter &out) {
  const std::int32_t span = input_span(window_);
  const std::int32_t cap = static_cast<std::int32_t>(buf_.size()) - 16;
  std::int32_t pos = window_; // [0, window_) is history (none yet)
  data_end_ = window_;
  skip_to_ = 0;
  bool eof = false;
  Costs costs{};
  for (;;) {
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
    symbols_.clear();
    if (options_.passes <= 0) {
      parse_lazy(pos, end);
    } else {
      parse_lazy(pos, end);
      for (int pass = 0; pass < options_.passes; ++pass) {
        costs_from_symbols(0, costs);
        symbols_.clear();
        parse_optimal(pos, end, costs);
      }
    }
    emit_blocks(0, out);
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
}

} // namespace lha::detail
