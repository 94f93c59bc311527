#include "phylo/graph/edges.hpp"

#include <cmath>
#include <limits>

#include "phylo/ranges.hpp"
#include "phylo/partitions/statistics.hpp"

namespace phylo::graph {

namespace {

bool is_missing(double value) { return value < missing_below; }

double mean_of_known(const std::vector<double>& values) {
    double sum = 0.0;
    std::size_t count = 0;
    for (double value : values) {
        if (is_missing(value)) continue;
        sum += value;
        ++count;
    }
    return sum / static_cast<double>(count);
}

// An empty sample has no median; its not-a-number stops the run at the
// range check that follows, as a mean over no entries does.
double median_or_nan(std::vector<double>& values) {
    return values.empty() ? std::numeric_limits<double>::quiet_NaN() : partitions::median(values);
}

double median_of_known(const std::vector<double>& values) {
    std::vector<double> known;
    for (double value : values)
        if (!is_missing(value)) known.push_back(value);
    return median_or_nan(known);
}

}  // namespace

void replace_unknown(std::vector<double>& values, ReplaceUnknownType how) {
    bool any_missing = false;
    for (double value : values) any_missing = any_missing || is_missing(value);
    if (!any_missing) return;
    const double replacement =
        how == ReplaceUnknownType::AVERAGE ? mean_of_known(values) : median_of_known(values);
    for (double& value : values)
        if (is_missing(value)) value = replacement;
}

std::vector<double> longest_edges(const BooleMatrix& graph, const RealMatrix& distances, ReplaceUnknownType how) {
    const std::size_t n = graph.size();
    std::vector<double> longest(n, no_value);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (!graph(i, j)) continue;
            const double d = distances(i, j);
            if (d > longest[i]) longest[i] = d;
            if (d > longest[j]) longest[j] = d;
        }
    }
    replace_unknown(longest, how);
    return longest;
}

std::vector<double> edge_lengths(const BooleMatrix& graph, const RealMatrix& distances) {
    std::vector<double> lengths;
    const std::size_t n = graph.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (graph(i, j)) lengths.push_back(distances(i, j));
    return lengths;
}

void split(BooleMatrix& graph, const RealMatrix& distances, double limit) {
    const std::size_t n = graph.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (graph(i, j) && distances(i, j) > limit) {
                graph.set(i, j, false);
                graph.set(j, i, false);
            }
        }
    }
}

void trim(BooleMatrix& graph, const RealMatrix& distances) {
    std::vector<double> lengths = edge_lengths(graph, distances);
    const double middle = require_range(median_or_nan(lengths), "median edge length");
    // The factors are applied in this order; regrouping them changes the
    // last bit of the limit and so which edge at the limit survives.
    const double limit = require_range(std::sqrt(1.5707963268) * 3.5 * middle, "trimming limit");
    split(graph, distances, limit);
}

}  // namespace phylo::graph
