#include "phylo/graph_builders.hpp"

#include <string>

#include "phylo/errors.hpp"
#include "phylo/graph_edges.hpp"
#include "phylo/graph_ranges.hpp"
#include "phylo/shortest_paths.hpp"

namespace phylo::graph {

namespace {

void join(BooleMatrix& graph, std::size_t i, std::size_t j) {
    graph.set(i, j, true);
    graph.set(j, i, true);
}

// The graph of every pair i < j for which edge(i, j) holds.
template <class Edge>
BooleMatrix graph_of(std::size_t n, Edge edge) {
    BooleMatrix graph(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (edge(i, j)) join(graph, i, j);
    return graph;
}

double larger(double a, double b) { return a < b ? b : a; }

}  // namespace

std::vector<double> shortest_distances(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    std::vector<double> shortest(n, largest_double);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = distances(i, j);
            if (d < shortest[i]) shortest[i] = d;
            if (d < shortest[j]) shortest[j] = d;
        }
    }
    return shortest;
}

BooleMatrix build_nng(const RealMatrix& distances) {
    require_distances(distances);
    const std::vector<double> nearest = shortest_distances(distances);
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return distances(i, j) <= larger(nearest[i], nearest[j]);
    });
}

BooleMatrix build_soig(const RealMatrix& distances) {
    require_distances(distances);
    const std::vector<double> nearest = shortest_distances(distances);
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return nearest[i] + nearest[j] >= distances(i, j);
    });
}

BooleMatrix build_gg(const RealMatrix& distances) {
    require_distances(distances);
    const std::size_t n = distances.size();
    return graph_of(n, [&](std::size_t i, std::size_t j) {
        const double d = distances(i, j);
        const double squared = require_range(d * d, "squared distance");
        for (std::size_t k = 0; k < n; ++k) {
            if (k == i || k == j) continue;
            const double dik = distances(i, k), djk = distances(j, k);
            if (dik * dik + djk * djk < squared) return false;
        }
        return true;
    });
}

BooleMatrix build_msn(const RealMatrix& distances) {
    const BooleMatrix tree = build_mst(distances);
    std::vector<double> longest = longest_edges(tree, distances, ReplaceUnknownType::MEDIAN);
    for (double value : longest) require_range(value, "longest spanning tree edge");
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return tree(i, j) || distances(i, j) <= larger(longest[i], longest[j]);
    });
}

BooleMatrix build_graph(const RealMatrix& distances, GraphType kind, Output& out) {
    switch (kind) {
        case GraphType::NNG: return build_nng(distances);
        case GraphType::MST: return build_mst(distances);
        case GraphType::RNG: return build_rng(distances, out);
        case GraphType::GG: return build_gg(distances);
        case GraphType::RNG_SOIG: {
            // The sphere-of-influence graph comes first, so that its range
            // errors stop the run before the neighbourhood graph is written.
            const BooleMatrix soig = build_soig(distances);
            return conjunction(build_rng(distances, out), soig);
        }
        case GraphType::SOIG: return build_soig(distances);
        case GraphType::MSN: return build_msn(distances);
    }
    throw RangeError("graph kind outside 0 .. 6");
}

BooleMatrix partition_to_adjacency(const Partition& partition) {
    const std::size_t n = partition.size();
    for (GroupNumber group : partition)
        if (group < 0 || static_cast<std::size_t>(group) >= n)
            throw RangeError("group number outside 0 .. " + std::to_string(n - 1) + ": " + std::to_string(group));
    return graph_of(n, [&](std::size_t i, std::size_t j) { return partition[i] == partition[j]; });
}

BooleMatrix conjunction(const BooleMatrix& a, const BooleMatrix& b) {
    if (a.size() != b.size())
        throw SizeError(size_error::boole_chars, "phylo-graph: conjunction of graphs of " +
                                                     std::to_string(a.size()) + " and " + std::to_string(b.size()) +
                                                     " objects");
    const std::size_t n = a.size();
    BooleMatrix both(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) both.set(i, k, a(i, k) && b(i, k));
    return both;
}

}  // namespace phylo::graph
