#include "BlockPlanner.h"

#include "BlockWriter.h"

#include <algorithm>
#include <cmath>

namespace lha::detail {

void BlockPlanner::clear() {
    base_ = 0;
    ends_.clear();
    counts_.clear();
    at_.assign(1, 0);
    split_.clear();
}

void BlockPlanner::grow_flog(std::size_t n) {
    for (std::size_t f = flog_.size(); f <= n; ++f)
        flog_.push_back(static_cast<float>(static_cast<double>(f) * std::log2(static_cast<double>(f))));
}

void BlockPlanner::add(const std::uint32_t* symbols, std::size_t from, std::size_t to) {
    if (ends_.empty()) base_ = from;
    std::uint32_t h[kHist];
    for (std::size_t k = from; k < to;) {
        const std::size_t e = std::min(to, k + kPiece);
        std::fill(h, h + kHist, 0u);
        for (std::size_t q = k; q < e; ++q) {
            const std::uint32_t s = symbols[q], c = s & 1023;
            ++h[c];
            if (c >= 256) ++h[kNC + position_class(s >> 10)];
        }
        for (std::size_t s = 0; s < kHist; ++s) {
            if (s == static_cast<std::size_t>(kNC)) split_.push_back(counts_.size());
            if (h[s])
                counts_.push_back(Count{static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(h[s])});
        }
        at_.push_back(counts_.size());
        ends_.push_back(e);
        k = e;
    }
}

std::vector<std::size_t> BlockPlanner::plan(std::size_t first) {
    const std::size_t n = ends_.size();
    std::vector<std::size_t> cuts;
    if (first >= n) return cuts;
    grow_flog(std::min<std::size_t>(ends_.back() - piece_start(first), kMaxBlockSymbols) + 1);
    if (work_.size() != kHist) work_.assign(kHist, 0);
    std::vector<double> best(n + 1, 0.0);
    std::vector<std::size_t> from(n + 1, first);
    for (std::size_t j = first + 1; j <= n; ++j) {
        best[j] = -1;
        // Blocks ending at piece j, ever longer towards the front: each step adds one piece's
        // counts to the running sums of f * log2(f).
        std::uint32_t nc = 0, np = 0, used = 0;
        double sc = 0, sp = 0;
        std::size_t i = j;
        while (i > first && ends_[j - 1] - piece_start(i - 1) <= static_cast<std::size_t>(kMaxBlockSymbols)) {
            --i;
            for (std::size_t k = at_[i]; k < split_[i]; ++k) {
                const Count c = counts_[k];
                const std::uint32_t f = work_[c.symbol];
                work_[c.symbol] = f + c.count;
                sc += static_cast<double>(flog_[f + c.count]) - flog_[f];
                nc += c.count;
                used += f == 0;
            }
            for (std::size_t k = split_[i]; k < at_[i + 1]; ++k) {
                const Count c = counts_[k];
                const std::uint32_t f = work_[c.symbol];
                work_[c.symbol] = f + c.count;
                sp += static_cast<double>(flog_[f + c.count]) - flog_[f];
                np += c.count;
            }
            // Entropy of both alphabets, plus what a table costs: a fixed part and some bits per code.
            const double estimate =
                (nc ? flog_[nc] - sc : 0) + (np ? flog_[np] - sp : 0) + 110.0 + 4.0 * used;
            const double c = best[i] + estimate;
            if (best[j] < 0 || c < best[j]) {
                best[j] = c;
                from[j] = i;
            }
        }
        for (std::size_t k = at_[i]; k < at_[j]; ++k) work_[counts_[k].symbol] = 0;
    }
    for (std::size_t j = n; j > first; j = from[j]) cuts.push_back(j);
    std::reverse(cuts.begin(), cuts.end());
    return cuts;
}

void BlockPlanner::drop_front(std::size_t k) {
    if (k == 0) return;
    const std::size_t shift = ends_[k - 1], drop = at_[k];
    ends_.erase(ends_.begin(), ends_.begin() + static_cast<std::ptrdiff_t>(k));
    for (auto& e : ends_) e -= shift;
    base_ = 0;
    counts_.erase(counts_.begin(), counts_.begin() + static_cast<std::ptrdiff_t>(drop));
    at_.erase(at_.begin(), at_.begin() + static_cast<std::ptrdiff_t>(k));
    for (auto& a : at_) a -= drop;
    split_.erase(split_.begin(), split_.begin() + static_cast<std::ptrdiff_t>(k));
    for (auto& s : split_) s -= drop;
}

}  // namespace lha::detail
