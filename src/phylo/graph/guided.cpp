#include "phylo/graph/guided.hpp"

#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/graph/edges.hpp"
#include "phylo/graph/merging.hpp"
#include "phylo/ranges.hpp"
#include "phylo/number_images.hpp"

namespace phylo::graph {

namespace {

// Keeps the graph's edges between guide groups only where they are no longer
// than the longest supported edge at one of their ends.
void keep_supported_and_short_edges(BooleMatrix& graph, const BooleMatrix& guide, const RealMatrix& distances) {
    const BooleMatrix supported = conjunction(graph, guide);
    const std::vector<double> longest = longest_edges(supported, distances, ReplaceUnknownType::AVERAGE);
    for (double value : longest) require_range(value, "longest supported edge");
    const std::size_t n = graph.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const double reach = longest[i] < longest[j] ? longest[j] : longest[i];
            const bool keep = graph(i, j) && (guide(i, j) || distances(i, j) <= reach);
            graph.set(i, j, keep);
            graph.set(j, i, keep);
        }
    }
}

}  // namespace

Partition guided_clustering(const RealMatrix& distances, const Partition& guide, GraphType kind,
                            TrimmingType trimming, bool long_edges, MergingType merging,
                            const GraphObserver& on_rng) {
    if (guide.size() != distances.size())
        throw SizeError(size_error::real_chars, "phylo-graph: guide partition of " + decimal(guide.size()) +
                                                    " objects for distances of " + decimal(distances.size()));
    BooleMatrix graph = build_graph(distances, kind, on_rng);
    const BooleMatrix together = partition_to_adjacency(guide);
    if (long_edges)
        keep_supported_and_short_edges(graph, together, distances);
    else
        graph = conjunction(graph, together);
    if (trimming == TrimmingType::Z_SCORE) trim(graph, distances);

    // Read column-wise, the graph with a true diagonal starts every object's
    // column as its closed neighbourhood.
    for (std::size_t i = 0; i < graph.size(); ++i) graph.set(i, i, true);
    std::size_t count = merge_all(graph);
    if (merging == MergingType::MAXIMUM) count = stepwise_merging(graph, count, distances, DiameterType::MAXIMUM);
    if (merging == MergingType::MAX_MIN) count = stepwise_merging(graph, count, distances, DiameterType::MAX_MIN);
    return incidence_to_clusters(graph, count);
}

}  // namespace phylo::graph
