#include "BlockPlanner.h"

#include "BlockWriter.h"

#include <algorithm>
#include <cmath>

namespace lha::detail {

void BlockPlanner::clear() {
    base_ = 0;
    ends_.clear();
    hist_.clear();
}

void BlockPlanner::grow_flog(std::size_t n) {
    for (std::size_t f = flog_.size(); f <= n; ++f)
        flog_.push_back(static_cast<float>(static_cast<double>(f) * std::log2(static_cast<double>(f))));
}

void BlockPlanner::add(const std::uint32_t* symbols, std::size_t from, std::size_t to) {
    if (ends_.empty()) {
        base_ = from;
        hist_.assign(kHist, 0);
    }
    for (std::size_t k = from; k < to;) {
        const std::size_t e = std::min(to, k + kPiece);
        const std::size_t at = hist_.size();
        hist_.resize(at + kHist);
        std::copy(hist_.begin() + static_cast<std::ptrdiff_t>(at - kHist),
                  hist_.begin() + static_cast<std::ptrdiff_t>(at),
                  hist_.begin() + static_cast<std::ptrdiff_t>(at));
        std::uint32_t* h = &hist_[at];
        for (std::size_t q = k; q < e; ++q) {
            const std::uint32_t s = symbols[q], c = s & 1023;
            ++h[c];
            if (c >= 256) ++h[kNC + position_class(s >> 10)];
        }
        ends_.push_back(e);
        k = e;
    }
}

double BlockPlanner::estimate(std::size_t a, std::size_t b) const {
    const std::uint32_t *lo = &hist_[a * kHist], *hi = &hist_[b * kHist];
    std::uint32_t nc = 0, np = 0, used = 0;
    double sc = 0, sp = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(kNC); ++k) {
        const std::uint32_t f = hi[k] - lo[k];
        if (f) {
            nc += f;
            sc += flog_[f];
            ++used;
        }
    }
    for (std::size_t k = kNC; k < kHist; ++k) {
        const std::uint32_t f = hi[k] - lo[k];
        if (f) {
            np += f;
            sp += flog_[f];
        }
    }
    // Entropy of both alphabets, plus what a table costs: a fixed part and some bits per code.
    return (nc ? flog_[nc] - sc : 0) + (np ? flog_[np] - sp : 0) + 110.0 + 4.0 * used;
}

std::vector<std::size_t> BlockPlanner::plan(std::size_t first) {
    const std::size_t n = ends_.size();
    std::vector<std::size_t> cuts;
    if (first >= n) return cuts;
    grow_flog(std::min<std::size_t>(ends_.back() - piece_start(first), kMaxBlockSymbols) + 1);
    std::vector<double> best(n + 1, 0.0);
    std::vector<std::size_t> from(n + 1, first);
    for (std::size_t j = first + 1; j <= n; ++j) {
        best[j] = -1;
        for (std::size_t i = j; i-- > first;) {
            if (ends_[j - 1] - piece_start(i) > static_cast<std::size_t>(kMaxBlockSymbols)) break;
            const double c = best[i] + estimate(i, j);
            if (best[j] < 0 || c < best[j]) {
                best[j] = c;
                from[j] = i;
            }
        }
    }
    for (std::size_t j = n; j > first; j = from[j]) cuts.push_back(j);
    std::reverse(cuts.begin(), cuts.end());
    return cuts;
}

void BlockPlanner::drop_front(std::size_t k) {
    if (k == 0) return;
    const std::size_t shift = ends_[k - 1];
    std::vector<std::size_t> rest;
    for (std::size_t i = k; i < ends_.size(); ++i) rest.push_back(ends_[i] - shift);
    ends_ = std::move(rest);
    base_ = 0;
    hist_.erase(hist_.begin(), hist_.begin() + static_cast<std::ptrdiff_t>(k * kHist));
    const std::vector<std::uint32_t> zero(hist_.begin(), hist_.begin() + kHist);
    for (std::size_t i = 0; i < hist_.size(); ++i) hist_[i] -= zero[i % kHist];
    if (ends_.empty()) hist_.clear();
}

void BlockPlanner::truncate(std::size_t first) {
    ends_.resize(first);
    hist_.resize(first == 0 ? 0 : (first + 1) * kHist);
}

}  // namespace lha::detail
