// The fraction-of-links series exactly as described, kept as the reference
// for phylo::series::glc_series and its fast paths (pairs only up to the last
// threshold, tie runs settled by the order check or by trying every order,
// link counts only for linked clusters): the whole pair list through the
// heap sort, a dense n x n link table, relabelling by a pass over all
// objects, a new partition at every threshold with a fusion. The tests
// GlcSeries.AgreesWithTheLiteralProcedure* and TieRuns.* prove the engine
// equal to it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "literal/pair_list.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

inline phylo::PartitionSet literal_glc(const phylo::RealMatrix& d, bool row_sums, std::size_t count, double start,
                                       double step, double fraction) {
    using phylo::Partition;
    using phylo::PartitionSet;

    const std::size_t n = d.size();
    const phylo::series::PairwiseDistances list = literal_pairwise(d, row_sums);
    std::vector<int> label(n), size(n, 1);
    for (std::size_t o = 0; o < n; ++o) label[o] = static_cast<int>(o);
    std::vector<std::vector<std::int64_t>> link(n, std::vector<std::int64_t>(n, 0));
    PartitionSet result(count);
    std::size_t pos = 0;
    double t = start;
    for (std::size_t k = 0; k < count; ++k) {
        bool fused = false;
        for (; pos < list.size() && !(list[pos].distance > t); ++pos) {
            int a = label[list[pos].first], b = label[list[pos].second];
            if (a == b) continue;
            if (a > b) std::swap(a, b);
            link[a][b] += 1;
            link[b][a] = link[a][b];
            const double share = static_cast<double>(link[a][b]) / static_cast<double>(std::int64_t{size[a]} * size[b]);
            if (share >= fraction) {
                for (int& l : label)
                    if (l == a) l = b;
                size[b] += size[a];
                size[a] = 0;
                for (std::size_t r = 0; r < n; ++r) link[r][b] += link[r][a];
                for (std::size_t c = 0; c < n; ++c) link[b][c] += link[a][c];
                fused = true;
            }
        }
        if (k == 0 || fused) {
            std::vector<int> number(n, 0);
            int counter = 0;
            for (std::size_t o = 0; o < n; ++o)
                if (size[o] > 0) number[o] = counter++;
            auto partition = std::make_shared<Partition>(n);
            for (std::size_t o = 0; o < n; ++o) (*partition)[o] = number[label[o]];
            result[k] = partition;
        } else {
            result[k] = result[k - 1];
        }
        t += step;
    }
    return result;
}

}  // namespace tarvix_test
