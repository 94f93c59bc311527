// The pair list: every unordered pair of objects with its distance, sorted by
// ascending distance. The fraction-of-links series, the clique series and the
// spanning-tree builder all consume pairs in this order.
#pragma once

#include <cstdint>
#include <vector>

#include "phylo/types.hpp"

namespace phylo::series {

// One unordered pair of objects; first < second.
struct PairwiseDistance {
    double distance;
    std::int32_t first;
    std::int32_t second;
};

using PairwiseDistances = std::vector<PairwiseDistance>;

// All n(n-1)/2 pairs of the upper triangle (row below column), sorted by
// distance with phylo::heap_sort. With row-sum pre-ordering the pairs are
// first sorted by the sum of their two objects' row sums, which decides the
// order of equal distances in the second sort.
PairwiseDistances squared_to_pairwise(const RealMatrix& distances, bool row_sum_preordering);

}  // namespace phylo::series
