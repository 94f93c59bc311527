// The literal clique extraction on the twin matrix C, and the literal clique
// series on the literal pair list, one extraction at every threshold that
// consumed a pair. References for phylo::series::do_qt and qt_series
// (series/qt_series_test.cpp, DoQt.AgreesWithTheLiteralExtractionOnRandomGraphs
// and QtSeries.AgreesWithTheLiteralSeriesOnRandomMatrices).
#pragma once

#include <memory>
#include <vector>

#include "literal/pair_list.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

inline phylo::Partition literal_do_qt(const phylo::BooleMatrix& a) {
    const std::size_t n = a.size();
    std::vector<std::vector<bool>> c(n, std::vector<bool>(n, false));
    for (std::size_t i = 0; i < n; ++i) c[i][i] = true;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            bool twins = a(i, j);
            for (std::size_t k = 0; k < n && twins; ++k) twins = a(i, k) == a(j, k);
            c[i][j] = c[j][i] = twins;
        }
    phylo::Partition groups(n, -1);
    for (int group = 0;; ++group) {
        std::size_t b = 0, best = 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t count = 0;
            for (std::size_t k = 0; k < n; ++k) count += c[i][k];
            if (count > best) best = count, b = i;
        }
        if (best == 0) break;
        for (std::size_t j = 0; j < n; ++j) {
            if (!c[j][j] || !a(j, b) || c[j][b]) continue;
            bool ok = true;
            for (std::size_t k = 0; k < n && ok; ++k)
                if (c[k][b]) ok = a(j, k);
            c[j][b] = c[b][j] = ok;
        }
        for (std::size_t k = 0; k < n; ++k)
            if (c[k][b]) {
                groups[k] = group;
                c[k].assign(n, false);
            }
        for (std::size_t k = 0; k < n; ++k) c[k][b] = false;
    }
    return groups;
}

inline phylo::PartitionSet literal_qt(const phylo::RealMatrix& d, bool row_sums, std::size_t count, double start,
                                      double step) {
    const std::size_t n = d.size();
    const phylo::series::PairwiseDistances list = literal_pairwise(d, row_sums);
    phylo::BooleMatrix a(n, false);
    for (std::size_t i = 0; i < n; ++i) a.set(i, i, true);
    phylo::PartitionSet result(count);
    std::size_t pos = 0;
    double t = start;
    for (std::size_t k = 0; k < count; ++k, t += step) {
        bool consumed = false;
        for (; pos < list.size() && !(list[pos].distance > t); ++pos, consumed = true) {
            a.set(static_cast<std::size_t>(list[pos].first), static_cast<std::size_t>(list[pos].second), true);
            a.set(static_cast<std::size_t>(list[pos].second), static_cast<std::size_t>(list[pos].first), true);
        }
        if (k > 0 && !consumed) {
            result[k] = result[k - 1];
            continue;
        }
        auto groups = std::make_shared<phylo::Partition>(literal_do_qt(a));
        result[k] = k > 0 && *groups == *result[k - 1] ? result[k - 1] : groups;
    }
    return result;
}

}  // namespace tarvix_test
