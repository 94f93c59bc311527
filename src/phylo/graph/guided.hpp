// Clustering guided by a partition: the edges of a proximity graph that the
// guide partition supports, optionally long edges between guide groups that
// are no longer than the supported edges at their ends, optionally trimmed
// of unusually long edges; the connected components, optionally merged by
// cluster diameters, are the result.
#pragma once

#include "phylo/graph/builders.hpp"
#include "phylo/types.hpp"

namespace phylo::graph {

enum class TrimmingType { NONE, Z_SCORE };
enum class MergingType { MAXIMUM, MAX_MIN, NONE };

// The guided clustering of the objects; groups are numbered from 0 in
// ascending order of their lowest object. With the RNG graph kinds, on_rng
// is told the relative neighbourhood graph. Throws SizeError when the guide does
// not have one entry per object, and RangeError for distances, longest
// supported edges (none when the guide supports no edge), medians, limits or
// diameters outside 0 .. the largest double.
Partition guided_clustering(const RealMatrix& distances, const Partition& guide, GraphType kind,
                            TrimmingType trimming, bool long_edges, MergingType merging,
                            const GraphObserver& on_rng = {});

}  // namespace phylo::graph
