#include "HuffmanBuilder.h"

#include <algorithm>
#include <vector>

namespace lha::detail {

namespace {

// Plain Huffman over the used symbols (sorted by frequency), two-queue method. Returns the
// maximum depth.
int huffman_depths(const std::vector<std::uint32_t>& w, std::vector<int>& depth) {
    const int m = static_cast<int>(w.size());
    std::vector<std::uint64_t> iw(m > 1 ? m - 1 : 0);
    std::vector<int> parent(2 * m, -1);  // leaves 0..m-1, internal nodes m..2m-2
    int li = 0, ii = 0;
    for (int k = 0; k < m - 1; ++k) {
        int pick[2];
        std::uint64_t sum = 0;
        for (int& p : pick) {
            if (li < m && (ii >= k || w[li] <= iw[ii])) {
                p = li;
                sum += w[li++];
            } else {
                p = m + ii;
                sum += iw[ii++];
            }
        }
        iw[k] = sum;
        parent[pick[0]] = parent[pick[1]] = m + k;
    }
    std::vector<int> d(2 * m, 0);
    int maxd = 0;
    for (int node = 2 * m - 3; node >= 0; --node) {
        d[node] = d[parent[node]] + 1;
        if (node < m) maxd = std::max(maxd, d[node]);
    }
    depth.assign(d.begin(), d.begin() + m);
    return maxd;
}

}  // namespace

int build_code_lengths(const std::uint32_t* freq, int n, int max_length, std::uint8_t* lengths) {
    std::vector<int> used;
    for (int s = 0; s < n; ++s) {
        lengths[s] = 0;
        if (freq[s] != 0) used.push_back(s);
    }
    if (used.size() <= 1) return static_cast<int>(used.size());
    std::stable_sort(used.begin(), used.end(), [&](int a, int b) { return freq[a] < freq[b]; });
    std::vector<std::uint32_t> w(used.size());
    for (std::size_t i = 0; i < used.size(); ++i) w[i] = freq[used[i]];
    std::vector<int> depth;
    // Too deep: flatten the frequencies and build again. Rare (it needs very skewed counts), and
    // the result stays a complete code.
    while (huffman_depths(w, depth) > max_length)
        for (auto& x : w) x = (x >> 1) | 1;
    for (std::size_t i = 0; i < used.size(); ++i) lengths[used[i]] = static_cast<std::uint8_t>(depth[i]);
    return static_cast<int>(used.size());
}

void build_codes(const std::uint8_t* lengths, int n, std::uint16_t* codes) {
    unsigned count[18] = {}, next[18] = {};
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    unsigned code = 0;
    for (int len = 1; len <= 16; ++len) {
        next[len] = code;
        code = (code + count[len]) << 1;
    }
    for (int s = 0; s < n; ++s) codes[s] = lengths[s] ? static_cast<std::uint16_t>(next[lengths[s]]++) : 0;
}

}  // namespace lha::detail
