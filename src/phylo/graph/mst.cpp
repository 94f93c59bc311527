#include <algorithm>
#include <limits>
#include <optional>

#include "phylo/graph/disjoint_sets.hpp"
#include "phylo/graph/builders.hpp"
#include "phylo/ranges.hpp"
#include "phylo/series/pair_list.hpp"
#include "phylo/series/pair_list.hpp"

namespace phylo::graph {

namespace {

constexpr std::size_t none = static_cast<std::size_t>(-1);

// The distance of a pair, from the upper triangle.
double weight(const RealMatrix& distances, std::size_t a, std::size_t b) {
    return a < b ? distances(a, b) : distances(b, a);
}

// A spanning tree of least total distance by Prim's algorithm in n^2 steps:
// the parent of every object but the first, which has none.
std::vector<std::size_t> prim_tree(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    std::vector<std::size_t> parent(n, none), from(n, none);
    std::vector<double> reach(n, std::numeric_limits<double>::infinity());
    std::vector<bool> joined(n, false);
    if (n == 0) return parent;
    std::size_t current = 0;
    joined[0] = true;
    for (std::size_t step = 1; step < n; ++step) {
        std::size_t next = none;
        for (std::size_t v = 0; v < n; ++v) {
            if (joined[v]) continue;
            const double w = weight(distances, current, v);
            if (w < reach[v]) {
                reach[v] = w;
                from[v] = current;
            }
            if (next == none || reach[v] < reach[next]) next = v;
        }
        joined[next] = true;
        parent[next] = from[next];
        current = next;
    }
    return parent;
}

// Whether the tree is the only spanning tree of least total distance: it is
// when every pair outside it is strictly longer than the longest edge on the
// tree path between its two objects (were one only as long, exchanging the
// two would give another tree of the same total). Each object's paths are
// walked from it once: n^2 steps.
bool only_least_tree(const RealMatrix& distances, const std::vector<std::size_t>& parent) {
    const std::size_t n = distances.size();
    std::vector<std::vector<std::size_t>> neighbours(n);
    for (std::size_t v = 0; v < n; ++v) {
        if (parent[v] == none) continue;
        neighbours[v].push_back(parent[v]);
        neighbours[parent[v]].push_back(v);
    }
    std::vector<double> longest(n);  // the longest edge on the path from the root
    std::vector<std::size_t> came_from(n), stack;
    for (std::size_t root = 0; root < n; ++root) {
        came_from[root] = root;
        stack.assign(1, root);
        while (!stack.empty()) {
            const std::size_t v = stack.back();
            stack.pop_back();
            for (std::size_t w : neighbours[v]) {
                if (w == came_from[v]) continue;
                came_from[w] = v;
                const double edge = weight(distances, v, w);
                longest[w] = (v == root || longest[v] < edge) ? edge : longest[v];
                stack.push_back(w);
            }
        }
        const double* row = distances.row(root);
        for (std::size_t v = root + 1; v < n; ++v)
            if (came_from[v] != root && !(longest[v] < row[v])) return false;
    }
    return true;
}

BooleMatrix tree_of(const std::vector<std::size_t>& parent) {
    BooleMatrix tree(parent.size(), false);
    for (std::size_t v = 0; v < parent.size(); ++v) {
        if (parent[v] == none) continue;
        tree.set(v, parent[v], true);
        tree.set(parent[v], v, true);
    }
    return tree;
}

// Kruskal's forward pass over the head of the row-sum pre-ordered pair list
// that holds every pair up to the longest edge of a least tree: the tree's
// pairs all lie in that head, and every later pair closes a cycle.
BooleMatrix kruskal_tree(const RealMatrix& distances, double longest_edge) {
    const std::size_t n = distances.size();
    std::optional<series::PairwiseDistances> head = series::sorted_pairs_within(distances, true, longest_edge);
    const series::PairwiseDistances pairs = head ? std::move(*head) : series::squared_to_pairwise(distances, true);
    BooleMatrix tree(n, false);
    DisjointSets components(n);
    for (const series::PairwiseDistance& pair : pairs) {
        const auto i = static_cast<std::size_t>(pair.first), j = static_cast<std::size_t>(pair.second);
        if (!components.unite(i, j)) continue;
        tree.set(i, j, true);
        tree.set(j, i, true);
    }
    return tree;
}

}  // namespace

// The tree is the one that reverse deletion keeps: take the pairs from the
// last of the row-sum pre-ordered list to the first and delete each one whose
// deletion leaves the graph connected. Ranking the pairs by list position
// (the list is sorted by distance, so the rank orders by distance first and
// lets a later pair count as the longer of two equal ones) makes every weight
// distinct, so the minimum spanning tree under the ranks is unique, and
// reverse deletion and Kruskal's forward pass over the same list both build
// it. Every tree of least rank is also a tree of least distance; so when the
// distances alone admit only one least tree, that tree is the result, and
// Prim's algorithm finds it in n^2 steps without any pair list. Otherwise
// Kruskal's pass over the sorted list decides between the equal distances.
BooleMatrix build_mst(const RealMatrix& distances) {
    require_distances(distances);
    const std::vector<std::size_t> parent = prim_tree(distances);
    if (only_least_tree(distances, parent)) return tree_of(parent);
    double longest_edge = 0.0;
    for (std::size_t v = 0; v < parent.size(); ++v)
        if (parent[v] != none) longest_edge = std::max(longest_edge, weight(distances, v, parent[v]));
    return kruskal_tree(distances, longest_edge);
}

}  // namespace phylo::graph
