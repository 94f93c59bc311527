// Shortest-path distances along a graph.
#pragma once

#include "phylo/graph/builders.hpp"
#include "phylo/types.hpp"

namespace phylo::graph {

// Replaces every distance by the length of the shortest path between the two
// objects in the relative neighbourhood graph, which on_rng is told first.
// Throws RangeError for an upper-triangle distance outside 0 .. the largest
// double.
void to_shortest_paths(RealMatrix& distances, const GraphObserver& on_rng = {});

// Replaces every distance by the length of the shortest path along graph;
// unconnected pairs get the largest double. Throws SizeError when the sizes
// differ.
void to_shortest_paths(const BooleMatrix& graph, RealMatrix& distances);

}  // namespace phylo::graph
