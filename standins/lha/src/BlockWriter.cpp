#include "BlockWriter.h"

#include "HuffmanBuilder.h"

#include <algorithm>
#include <vector>

namespace lha::detail {

void write_block(const std::uint32_t* syms, std::size_t n, MethodParams params, BitWriter& out) {
    const int np = params.np(), pbits = params.pbits();
    std::uint32_t cf[kNC] = {}, pf[32] = {};
    for (std::size_t k = 0; k < n; ++k) {
        std::uint32_t c = syms[k] & 1023;
        ++cf[c];
        if (c >= 256) ++pf[position_class(syms[k] >> 10)];
    }
    std::uint8_t cl[kNC], pl[32] = {}, tl[kNT];
    std::uint16_t cc[kNC], pc[32], tc[kNT];
    int cused = build_code_lengths(cf, kNC, 16, cl);
    int pused = build_code_lengths(pf, np, 16, pl);
    out.put(16, static_cast<std::uint32_t>(n));

    auto write_pt = [&](const std::uint8_t* len, int count, int nbits, int special) {
        int m = count;
        while (m > 0 && len[m - 1] == 0) --m;
        out.put(nbits, static_cast<std::uint32_t>(m));
        int i = 0;
        while (i < m) {
            int k = len[i++];
            if (k <= 6)
                out.put(3, static_cast<std::uint32_t>(k));
            else
                out.put(k - 3, (1u << (k - 3)) - 2);  // 111, then k-7 ones, then a zero
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
            if (cf[s]) sym = s;
        out.put(kTBits, 0);
        out.put(kTBits, 0);
        out.put(kCBits, 0);
        out.put(kCBits, static_cast<std::uint32_t>(sym));
    } else {
        int m = kNC;
        while (m > 0 && cl[m - 1] == 0) --m;
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
        for (auto& it : items) ++tf[it.sym];
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
        for (auto& it : items) {
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
            if (pf[s]) sym = s;
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
            if (p >= 2) out.put(p - 1, off - (1u << (p - 1)));
        }
    }
}

}  // namespace lha::detail
