// What several unit tests share: building small matrices inline, and the
// literal pair list (the whole list through the heap sort) that the fast
// paths of the clustering engines are checked against.
#pragma once

#include <cstdint>
#include <vector>

#include "phylo/graph/builders.hpp"
#include "phylo/heap_sort.hpp"
#include "phylo/io/print.hpp"
#include "phylo/series/pair_list.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

// The relative neighbourhood graphs an engine reports, written as the
// command line writes them.
struct WrittenGraphs {
    phylo::io::Output out;
    phylo::graph::GraphObserver observer() {
        return [this](const phylo::BooleMatrix& graph) { phylo::io::print::put(out, graph); };
    }
};

inline phylo::RealMatrix matrix(const std::vector<std::vector<double>>& rows) {
    phylo::RealMatrix m(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t k = 0; k < rows.size(); ++k) m(i, k) = rows[i][k];
    return m;
}

// A symmetric matrix with zero diagonal from the upper-triangle distances in
// row order (0,1), (0,2), ..., (1,2), ...
inline phylo::RealMatrix from_upper(std::size_t n, const std::vector<double>& upper) {
    phylo::RealMatrix m(n, 0.0);
    std::size_t p = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) m(i, j) = m(j, i) = upper[p++];
    return m;
}

// Objects in two clumps: A, B close; C, D, E close.
inline phylo::RealMatrix five_objects() {
    return matrix({{0, 0.02, 0.5, 0.6, 0.55},
                   {0.02, 0, 0.52, 0.61, 0.58},
                   {0.5, 0.52, 0, 0.04, 0.07},
                   {0.6, 0.61, 0.04, 0, 0.05},
                   {0.55, 0.58, 0.07, 0.05, 0}});
}

// Every pair of the upper triangle, sorted by distance with the heap sort;
// with row sums, sorted first by the sum of the two objects' row sums.
inline phylo::series::PairwiseDistances literal_pairwise(const phylo::RealMatrix& d, bool row_sums) {
    using phylo::series::PairwiseDistance;
    const std::size_t n = d.size();
    std::vector<double> s(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) s[i] += d(i, k);
    phylo::series::PairwiseDistances list;
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            list.push_back({row_sums ? s[j] + s[i] : d(i, j), static_cast<std::int32_t>(i),
                            static_cast<std::int32_t>(j)});
    const auto key = [](const PairwiseDistance& p) { return p.distance; };
    if (row_sums) {
        phylo::heap_sort(list.data(), list.size(), key);
        for (PairwiseDistance& p : list) p.distance = d(p.first, p.second);
    }
    phylo::heap_sort(list.data(), list.size(), key);
    return list;
}

}  // namespace tarvix_test
