// Literal pair counts of two partitions: a dense G1 x G2 contingency table
// summed row by row over its non-empty cells, and a loop over all pairs of
// objects. References for phylo::partitions::partitions_measures and the four
// pair counts of new_partition_similarities (partitions/similarity_test.cpp,
// PartitionsMeasures.AgreesWithADenseTableAndAPairLoop and
// NewPartitionSimilarities.AgreesWithALoopOverAllPairs).
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "phylo/types.hpp"

namespace tarvix_test {

// The joint entropy over the cells in row-major order, from +0.
inline double literal_joint_entropy(const phylo::Partition& first, const phylo::Partition& second, int first_groups,
                                    int second_groups) {
    std::vector<std::vector<std::int64_t>> dense(first_groups, std::vector<std::int64_t>(second_groups, 0));
    for (std::size_t k = 0; k < first.size(); ++k) ++dense[first[k]][second[k]];
    const double reciprocal = 1.0 / static_cast<double>(first.size());
    double entropy = 0.0;
    for (const auto& row : dense)
        for (const std::int64_t cell : row) {
            if (cell == 0) continue;
            const double p = static_cast<double>(cell) * reciprocal;
            entropy = entropy - p * std::log(p);
        }
    return entropy;
}

// Over all pairs of objects: apart in both, together in the second only,
// together in the first only, together in both.
struct LiteralPairCounts {
    std::int64_t apart = 0, second_only = 0, first_only = 0, both = 0;
};

inline LiteralPairCounts literal_pair_counts(const phylo::Partition& first, const phylo::Partition& second) {
    LiteralPairCounts c;
    for (std::size_t k = 0; k < first.size(); ++k)
        for (std::size_t l = k + 1; l < first.size(); ++l) {
            const bool f = first[k] == first[l], s = second[k] == second[l];
            c.apart += !f && !s;
            c.second_only += !f && s;
            c.first_only += f && !s;
            c.both += f && s;
        }
    return c;
}

}  // namespace tarvix_test
