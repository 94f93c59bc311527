// The literal pair list: every pair of the upper triangle through the heap
// sort; with row sums, sorted first by the sum of the two objects' row sums.
// Reference for phylo::series::squared_to_pairwise
// (series/pair_list_test.cpp, PairList.AgreesWithTheLiteralSort), and the
// list the literal series consume (GlcSeries.AgreesWithTheLiteralProcedure*,
// TieRuns.AgreeWithTheLiteralProcedureOnEveryPath, and
// series/qt_series_test.cpp, QtSeries.AgreesWithTheLiteralSeriesOnRandomMatrices).
#pragma once

#include <cstdint>
#include <vector>

#include "phylo/heap_sort.hpp"
#include "phylo/series/pair_list.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

inline phylo::series::PairwiseDistances literal_pairwise(const phylo::RealMatrix& d, bool row_sums) {
    using phylo::series::PairwiseDistance;
    const std::size_t n = d.size();
    std::vector<double> s(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) s[i] += d(i, k);
    phylo::series::PairwiseDistances list;
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            list.push_back(
                {row_sums ? s[j] + s[i] : d(i, j), static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)});
    const auto key = [](const PairwiseDistance& p) { return p.distance; };
    if (row_sums) {
        phylo::heap_sort(list.data(), list.size(), key);
        for (PairwiseDistance& p : list) p.distance = d(p.first, p.second);
    }
    phylo::heap_sort(list.data(), list.size(), key);
    return list;
}

}  // namespace tarvix_test
