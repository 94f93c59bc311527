// Merging exactly as the slow procedure does it: each column absorbs the
// first later column that shares an object and rescans, then the empty
// columns are swapped behind the others. Reference for
// phylo::graph::merge_all (graph/guided_test.cpp,
// Merging.MergeAllMatchesTheLiteralProcedure).
#pragma once

#include "phylo/types.hpp"

namespace tarvix_test {

inline std::size_t literal_merge_all(phylo::BooleMatrix& m) {
    const std::size_t n = m.size();
    auto empty = [&](std::size_t c) {
        for (std::size_t o = 0; o < n; ++o)
            if (m(o, c)) return false;
        return true;
    };
    for (std::size_t c1 = 0; c1 + 1 < n; ++c1) {
        if (empty(c1)) continue;
        for (std::size_t c2 = c1 + 1; c2 < n; ++c2) {
            bool share = false;
            for (std::size_t o = 0; o < n; ++o) share = share || (m(o, c1) && m(o, c2));
            if (!share) continue;
            for (std::size_t o = 0; o < n; ++o) {
                if (m(o, c2)) m.set(o, c1, true);
                m.set(o, c2, false);
            }
            c2 = c1;  // restart at c1 + 1
        }
    }
    std::size_t count = 0;
    for (std::size_t c = 0; c < n; ++c) {
        if (empty(c)) {
            std::size_t next = c + 1;
            while (next < n && empty(next)) ++next;
            if (next == n) break;
            for (std::size_t o = 0; o < n; ++o) {
                const bool a = m(o, c), b = m(o, next);
                m.set(o, c, b);
                m.set(o, next, a);
            }
        }
        ++count;
    }
    return count;
}

}  // namespace tarvix_test
