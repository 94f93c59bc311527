// Clusters as columns of an incidence matrix: merging columns that share an
// object into connected components, enlarging clusters by their diameters,
// and reading the final columns off as a partition.
//
// Incidence matrix: an n x n Boolean matrix read column-wise; entry (o, c)
// says object o belongs to column c. After merging, columns 0 .. count-1 hold
// the clusters (non-empty, disjoint, in ascending order of their lowest
// object) and the columns after them are empty.
#pragma once

#include <cstddef>
#include <vector>

#include "phylo/graph/edges.hpp"
#include "phylo/types.hpp"

namespace phylo::graph {

// How a cluster's diameter is measured, and with it how an outside object's
// distance to the cluster is measured when it may join.
enum class DiameterType { MAXIMUM, MAX_MIN };

// Merges every two columns that share an object, transitively, into the
// column of the lowest index among them, then moves the non-empty columns to
// the front in their order. Returns the number of non-empty columns. With a
// true diagonal this leaves the connected components of the graph, ordered by
// their lowest object.
std::size_t merge_all(BooleMatrix& incidence);

// Per cluster column 0 .. count-1: MAXIMUM, the largest d(i, j) of members
// i < j; MAX_MIN, the largest over members of the distance to their nearest
// fellow member (rows read in full). A single-object cluster has none and gets
// the replacement of how.
std::vector<double> get_diameters(const BooleMatrix& incidence, std::size_t count, const RealMatrix& distances,
                                  DiameterType type, ReplaceUnknownType how);

// Adds to each cluster column c every outside object o whose mean (MAXIMUM)
// or minimum (MAX_MIN) distance d(o, m) to the members m is at most
// diameters[c]; o stays in its own cluster too. Throws RangeError when a
// diameter leaves 0 .. the largest double.
void conditional_inclusion(BooleMatrix& incidence, const RealMatrix& distances, const std::vector<double>& diameters,
                           DiameterType type);

// Repeats diameters, inclusion and merging until the number of clusters
// stops changing; returns it. Throws SizeError when the incidence matrix and
// the distances differ in size.
std::size_t stepwise_merging(BooleMatrix& incidence, std::size_t count, const RealMatrix& distances,
                             DiameterType type);

// The partition whose group c is cluster column c. Throws the named errors
// PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.DOUBLE_OCCURRENCE and ..MISSING_OCCURRENCE
// (message: the object) when the columns are not a partition.
Partition incidence_to_clusters(const BooleMatrix& incidence, std::size_t count);

}  // namespace phylo::graph
