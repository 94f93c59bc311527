// Clustering into cliques of the threshold graph along a series of thresholds.
#pragma once

#include "phylo/series/threshold_batches.hpp"
#include "phylo/types.hpp"

namespace phylo::series {

// At every threshold t(k) = start + step + ... + step (k additions),
// k = 0 .. result.size() - 1, joins the objects whose distance is at most
// t(k) and stores do_qt of that graph in result. An element shares its
// predecessor's partition where no pair joined or the groups did not change.
// Throws RangeError for thresholds outside 0 .. the largest double.
// upper_finite, when given, may be told that the upper triangle holds finite
// numbers only.
void qt_series(const RealMatrix& distances, bool row_sum_preordering, PartitionSet& result, double start, double step,
               const UpperTriangleFinite* upper_finite = nullptr);

// Partitions the objects into cliques of graph, a threshold graph (symmetric,
// every object joined to itself). Repeatedly the object with the most twins
// (objects joined to exactly the same objects), the lowest-numbered among
// equals, seeds a group with its twins; every object not yet taken that is
// joined to all members, tested in ascending order, joins; the group is
// taken out. Groups are numbered 0, 1, ... in the order they are taken.
Partition do_qt(const BooleMatrix& graph);

}  // namespace phylo::series
