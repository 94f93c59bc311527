// The spanning tree exactly as the slow procedure builds it: start complete,
// take the row-sum pre-ordered pairs from last to first, and keep each
// deletion after which both objects are still reached from object 0 by a
// depth-first search that pushes unmarked neighbours in ascending order.
// Reference for phylo::graph::build_mst (graph/guided_test.cpp,
// SpanningTree.EqualsReverseDeletionOnTieHeavyMatrices).
#pragma once

#include <vector>

#include "phylo/series/pair_list.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

inline phylo::BooleMatrix reverse_deletion_tree(const phylo::RealMatrix& d) {
    const std::size_t n = d.size();
    phylo::BooleMatrix g(n, true);
    auto is_connected = [&](std::size_t x) {
        std::vector<std::size_t> stack{0};
        std::vector<bool> marked(n, false);
        marked[0] = true;
        while (!stack.empty()) {
            const std::size_t v = stack.back();
            stack.pop_back();
            if (g(v, x)) return true;
            for (std::size_t w = 0; w < n; ++w) {
                if (!marked[w] && g(v, w)) {
                    marked[w] = true;
                    stack.push_back(w);
                }
            }
        }
        return false;
    };
    const auto pairs = phylo::series::squared_to_pairwise(d, true);
    for (auto p = pairs.rbegin(); p != pairs.rend(); ++p) {
        const auto i = static_cast<std::size_t>(p->first), j = static_cast<std::size_t>(p->second);
        g.set(i, j, false);
        g.set(j, i, false);
        if (!(is_connected(j) && is_connected(i))) {
            g.set(i, j, true);
            g.set(j, i, true);
        }
    }
    for (std::size_t i = 0; i < n; ++i) g.set(i, i, false);
    return g;
}

}  // namespace tarvix_test
