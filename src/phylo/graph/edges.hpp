// Edge measures of proximity graphs: the longest edge at every object, the
// lengths of all edges, and the removal of edges longer than a limit (fixed,
// or found from the median edge length by Z-score trimming).
#pragma once

#include <vector>

#include "phylo/types.hpp"

namespace phylo::graph {

// How a missing per-object or per-cluster value is filled in from the known
// ones.
enum class ReplaceUnknownType { AVERAGE, MEDIAN };

// Replaces every entry below graph::missing_below by the mean (the sum of the
// known entries in index order over their count) or the median of the known
// entries (house median). With no known entry the replacement is not a
// number, which the range checks that follow turn into a stop.
void replace_unknown(std::vector<double>& values, ReplaceUnknownType how);

// Per object, the longest edge of graph at it (edges i < j, d(i, j) from the
// upper triangle); objects without an edge get the replacement of how.
std::vector<double> longest_edges(const BooleMatrix& graph, const RealMatrix& distances, ReplaceUnknownType how);

// d(i, j) of every edge i < j, row by row.
std::vector<double> edge_lengths(const BooleMatrix& graph, const RealMatrix& distances);

// Removes every edge with d(i, j) > limit; an edge at the limit stays.
void split(BooleMatrix& graph, const RealMatrix& distances, double limit);

// Z-score trimming: removes the edges longer than
// sqrt(1.5707963268) x 3.5 x (median edge length). Throws RangeError when the
// median or the limit leaves 0 .. the largest double (a graph without edges
// has a not-a-number median).
void trim(BooleMatrix& graph, const RealMatrix& distances);

}  // namespace phylo::graph
