// The literal shortest paths: Floyd-Warshall over the upper triangle, pairs
// without an edge at the largest double, every sum as the plain procedure
// forms it. Reference for phylo::graph::to_shortest_paths
// (graph/shortest_paths_test.cpp, ShortestPaths.AgreesWithTheLiteralFloydWarshallBitForBit).
#pragma once

#include <algorithm>
#include <limits>

#include "phylo/types.hpp"

namespace tarvix_test {

inline void literal_shortest_paths(const phylo::BooleMatrix& g, phylo::RealMatrix& d) {
    const std::size_t n = d.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        d(i, i) = 0.0;
        for (std::size_t j = i + 1; j < n; ++j)
            if (!g(i, j)) d(i, j) = d(j, i) = std::numeric_limits<double>::max();
    }
    d(n - 1, n - 1) = 0.0;
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double d_ik = d(i, k);
            for (std::size_t j = i + 1; j < n; ++j) d(i, j) = d(j, i) = std::min(d(i, j), d_ik + d(j, k));
        }
}

}  // namespace tarvix_test
