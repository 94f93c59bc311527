// The literal Gabriel graph: every pair i < j against every third object k in
// turn, the witness distances read from the full rows i and j. Reference for
// phylo::graph::build_gg (graph/guided_test.cpp,
// Builders.GabrielGraphEqualsTheLiteralTestOnRandomMatrices).
#pragma once

#include "phylo/types.hpp"

namespace tarvix_test {

inline phylo::BooleMatrix literal_gabriel(const phylo::RealMatrix& d) {
    const std::size_t n = d.size();
    phylo::BooleMatrix g(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            bool edge = true;
            for (std::size_t k = 0; k < n && edge; ++k)
                if (k != i && k != j && d(i, k) * d(i, k) + d(j, k) * d(j, k) < d(i, j) * d(i, j)) edge = false;
            g.set(i, j, edge);
            g.set(j, i, edge);
        }
    return g;
}

}  // namespace tarvix_test
