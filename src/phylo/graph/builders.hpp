// Proximity graphs over the objects of a distance matrix, and the small
// Boolean-matrix operations the guided clustering combines them with. Every
// builder decides the pair i < j and sets entries (i, j) and (j, i) together;
// the diagonal stays false. Builders require every upper-triangle distance to
// lie in 0 .. the largest double (RangeError otherwise).
#pragma once

#include <functional>
#include <vector>

#include "phylo/types.hpp"

namespace phylo::graph {

// The proximity graphs, in the order of their position numbers 0 .. 6.
enum class GraphType { NNG, MST, RNG, GG, RNG_SOIG, SOIG, MSN };

// Told each relative neighbourhood graph as soon as it is built, before it
// is used (the command line writes it out there).
using GraphObserver = std::function<void(const BooleMatrix&)>;

// The graph of the given kind. For RNG and RNG_SOIG, on_rng is told the
// relative neighbourhood graph (for RNG_SOIG after the sphere-of-influence
// graph, so that its range errors come first).
BooleMatrix build_graph(const RealMatrix& distances, GraphType kind, const GraphObserver& on_rng = {});

// Relative neighbourhood graph: i and j are joined unless some third object
// k has max(d(i, k), d(j, k)) < d(i, j). Rows i and j are read in full, so
// both triangles count.
BooleMatrix build_rng(const RealMatrix& distances);

// Nearest-neighbour graph: i and j are joined when one is a nearest neighbour
// of the other, ties included.
BooleMatrix build_nng(const RealMatrix& distances);

// Minimum spanning tree; of equal distances the pair later in the row-sum
// pre-ordered pair list counts as the longer.
BooleMatrix build_mst(const RealMatrix& distances);

// Gabriel graph: i and j are joined unless some third object k has
// d(i, k)^2 + d(j, k)^2 < d(i, j)^2 (rows i and j read in full). Throws
// RangeError when d(i, j)^2 exceeds the largest double.
BooleMatrix build_gg(const RealMatrix& distances);

// Sphere-of-influence graph: i and j are joined when S(i) + S(j) >= d(i, j),
// S the distance to the nearest other object.
BooleMatrix build_soig(const RealMatrix& distances);

// Minimum spanning network: the spanning tree plus every pair with
// d(i, j) <= max(L(i), L(j)), L the longest tree edge at each object (median
// of the others for an object without one). Throws RangeError when an L
// leaves 0 .. the largest double.
BooleMatrix build_msn(const RealMatrix& distances);

// Per object, the distance to its nearest other object (the largest double
// for a single object), read from the upper triangle.
std::vector<double> shortest_distances(const RealMatrix& distances);

// Joins the objects of each group; every group number must lie in 0 .. n-1
// (RangeError otherwise).
BooleMatrix partition_to_adjacency(const Partition& partition);

// Entry by entry conjunction of two graphs of one size (SizeError otherwise).
BooleMatrix conjunction(const BooleMatrix& a, const BooleMatrix& b);

}  // namespace phylo::graph
