// The pairs that each threshold of a series consumes. Both series resume at
// every threshold where the previous one stopped in the sorted pair list;
// when no distance is NaN the list is truly ascending, so threshold k takes
// exactly the pairs not yet taken whose distance is at most t(k), and those
// can be found without sorting the whole list.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "phylo/series/pair_list.hpp"

namespace phylo::series {

struct ThresholdBatches {
    PairwiseDistances pairs;         // every consumed pair, in consumption order
    std::vector<std::size_t> begin;  // batch k is pairs[begin[k] .. begin[k + 1])

    std::size_t size() const noexcept { return begin.size() - 1; }
};

// Walks a sorted pair list as the series do: threshold k consumes from where
// threshold k - 1 stopped up to the first pair whose distance exceeds t(k)
// (a NaN distance never exceeds, so it is consumed where it stands).
ThresholdBatches batches_in_list_order(PairwiseDistances list, const std::vector<double>& t);

// The batches of the list squared_to_pairwise returns, in its exact order.
// progress, when given, hears how far the sort has come.
ThresholdBatches batches_in_exact_order(const RealMatrix& distances, bool row_sum_preordering,
                                        const std::vector<double>& t, const SortProgress* progress = nullptr);

enum class BatchOrder {
    by_distance,  // ascending distance within a batch; equal distances in no particular order
    any,          // no particular order within a batch
};

// Called once the whole upper triangle has been read and found to hold
// finite numbers only, so that a caller that checks the matrix for NaN and
// infinities (the Python module) need not read that half a second time.
using UpperTriangleFinite = std::function<void()>;

// The same batches taken from the upper triangle alone: the pairs within the
// largest threshold, each in the batch of the first threshold that reaches
// it. Nothing when an upper-triangle distance is NaN, which breaks the order
// of the sorted list. upper_finite, when given, is called if every distance
// of the upper triangle is finite. Up to few_pairs pairs are collected in one
// pass over the triangle; beyond that, two passes size the list exactly (a
// parameter for the tests of both ways).
inline constexpr std::size_t few_consumed_pairs = std::size_t{1} << 22;

std::optional<ThresholdBatches> consumed_batches(const RealMatrix& distances, const std::vector<double>& t,
                                                 BatchOrder order, const UpperTriangleFinite* upper_finite = nullptr,
                                                 std::size_t few_pairs = few_consumed_pairs);

// The same from a submatrix read in place.
std::optional<ThresholdBatches> consumed_batches(const PickedSubmatrix& submatrix, const std::vector<double>& t,
                                                 BatchOrder order);

}  // namespace phylo::series
