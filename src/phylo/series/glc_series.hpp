// Clustering by the fraction-of-links rule along a series of thresholds.
#pragma once

#include <cstddef>
#include <functional>

#include "phylo/heap_sort.hpp"
#include "phylo/series/link_clusters.hpp"
#include "phylo/series/threshold_batches.hpp"
#include "phylo/types.hpp"

namespace phylo::series {

// Clusters the objects at every threshold t(k) = start + step + ... + step
// (k additions), k = 0 .. result.size() - 1, and stores one partition per
// threshold in result. At threshold t the pairs with distance at most t are
// consumed in the order of squared_to_pairwise; two clusters fuse when the
// pair just consumed brings the share of linked object pairs between them to
// at least fraction (0: single linkage, 1: complete linkage). Groups are
// numbered by ascending highest member. Where no fusion happened, an element
// shares its predecessor's partition. Throws RangeError for a fraction
// outside 0 .. 1 and for thresholds outside 0 .. the largest double.
// progress, when given, hears how far the exact sort of the pair list has
// come, if the series needs it; upper_finite, when given, may be told that
// the upper triangle holds finite numbers only.
void glc_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
                double fraction, const SortProgress* progress = nullptr,
                const UpperTriangleFinite* upper_finite = nullptr);

// How a call settled the runs of equal distances among the consumed pairs,
// for tests and benchmarks.
struct TieReport {
    std::size_t by_check = 0;       // runs of two or more pairs between clusters that the order check passed
    std::size_t by_all_orders = 0;  // runs whose every order was tried and agreed
    bool exact_order = false;       // the exactly sorted list was used (a run needed it, or a distance is NaN)
};

// The same with the order check to apply (the series use order_free; tests
// plant weaker ones to prove that the comparison catches them) and a report.
void glc_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
                double fraction, OrderCheck check, TieReport& report, const SortProgress* progress = nullptr,
                const UpperTriangleFinite* upper_finite = nullptr);

// The same on a submatrix read in place (the jackknife's replicates): copy()
// makes the submatrix itself, which only the exact sort of the whole list
// needs, so that most calls copy nothing. With row-sum pre-ordering the copy
// must hold whole rows; else its upper triangle is all that is read.
void glc_series(const PickedSubmatrix& submatrix, const std::function<const RealMatrix&()>& copy,
                bool row_sum_preordering, PartitionSet& result, double start, double step, double fraction);

}  // namespace phylo::series
