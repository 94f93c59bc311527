#include "phylo/disjoint_sets.hpp"
#include "phylo/graph_builders.hpp"
#include "phylo/graph_ranges.hpp"
#include "phylo/pairwise.hpp"

namespace phylo::graph {

// The tree is the one that reverse deletion keeps: take the pairs from the
// last of the row-sum pre-ordered list to the first and delete each one whose
// deletion leaves the graph connected. Ranking the pairs by list position
// (the list is sorted by distance, so the rank orders by distance first and
// lets a later pair count as the longer of two equal ones) makes every weight
// distinct, so the minimum spanning tree is unique, and reverse deletion and
// Kruskal's forward pass over the same list both build it: a pair belongs to
// it exactly when no path of earlier pairs joins its two objects. Kruskal
// costs about n^2 steps after the sort, where reverse deletion costs n^4.
BooleMatrix build_mst(const RealMatrix& distances) {
    require_distances(distances);
    const std::size_t n = distances.size();
    BooleMatrix tree(n, false);
    DisjointSets components(n);
    for (const taxonomy::PairwiseDistance& pair : taxonomy::squared_to_pairwise(distances, true)) {
        const auto i = static_cast<std::size_t>(pair.first), j = static_cast<std::size_t>(pair.second);
        if (!components.unite(i, j)) continue;
        tree.set(i, j, true);
        tree.set(j, i, true);
    }
    return tree;
}

}  // namespace phylo::graph
