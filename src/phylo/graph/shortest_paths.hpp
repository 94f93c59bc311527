// Relative neighbourhood graph and shortest-path distances along a graph.
#pragma once

#include "phylo/io/output.hpp"
#include "phylo/types.hpp"

namespace phylo::graph {

// The relative neighbourhood graph: i and j are joined unless some third
// object k has max(d(i, k), d(j, k)) < d(i, j). Rows i and j are read in
// full, so both triangles count. Writes the graph to out, one line per row,
// each cell a tab and TRUE or FALSE. Throws RangeError for an upper-triangle
// distance outside 0 .. the largest double.
BooleMatrix build_rng(const RealMatrix& distances, io::Output& out);

// Replaces every distance by the length of the shortest path between the two
// objects in the relative neighbourhood graph (written to out as above).
void to_shortest_paths(RealMatrix& distances, io::Output& out);

// Replaces every distance by the length of the shortest path along graph;
// unconnected pairs get the largest double. Throws SizeError when the sizes
// differ.
void to_shortest_paths(const BooleMatrix& graph, RealMatrix& distances);

}  // namespace phylo::graph
