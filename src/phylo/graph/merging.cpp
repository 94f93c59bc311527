#include "phylo/graph/merging.hpp"

#include <string>

#include "phylo/graph/disjoint_sets.hpp"
#include "phylo/errors.hpp"
#include "phylo/ranges.hpp"
#include "phylo/number_images.hpp"

namespace phylo::graph {

namespace {

constexpr std::size_t none = static_cast<std::size_t>(-1);

std::vector<std::size_t> members_of(const BooleMatrix& incidence, std::size_t column) {
    std::vector<std::size_t> members;
    for (std::size_t o = 0; o < incidence.size(); ++o)
        if (incidence(o, column)) members.push_back(o);
    return members;
}

double largest_member_distance(const std::vector<std::size_t>& members, const RealMatrix& distances) {
    double diameter = no_value;
    for (std::size_t a = 0; a < members.size(); ++a) {
        for (std::size_t b = a + 1; b < members.size(); ++b) {
            const double d = distances(members[a], members[b]);
            if (d > diameter) diameter = d;
        }
    }
    return diameter;
}

double largest_nearest_distance(const std::vector<std::size_t>& members, const RealMatrix& distances) {
    double diameter = no_value;
    if (members.size() < 2) return diameter;
    for (std::size_t i : members) {
        double nearest = largest_double;
        for (std::size_t j : members)
            if (j != i && distances(i, j) < nearest) nearest = distances(i, j);
        if (nearest > diameter) diameter = nearest;
    }
    return diameter;
}

// The distance of outside object o to a cluster: the mean of d(o, m) over the
// members in ascending order, or its minimum.
double distance_to_cluster(std::size_t o, const std::vector<std::size_t>& members, const RealMatrix& distances,
                           DiameterType type) {
    if (type == DiameterType::MAXIMUM) {
        double sum = 0.0;
        for (std::size_t m : members) sum += distances(o, m);
        return sum / static_cast<double>(members.size());
    }
    double nearest = largest_double;
    for (std::size_t m : members)
        if (distances(o, m) < nearest) nearest = distances(o, m);
    return nearest;
}

}  // namespace

// Merging a column into an earlier one that shares an object, rescanning
// after every absorption, ends with each group of transitively sharing
// columns united in its lowest column: so the columns are united through the
// objects they hold, in about n^2 steps.
std::size_t merge_all(BooleMatrix& incidence) {
    const std::size_t n = incidence.size();
    DisjointSets columns(n);
    std::vector<bool> occupied(n, false);
    for (std::size_t o = 0; o < n; ++o) {
        std::size_t first = none;
        for (std::size_t c = 0; c < n; ++c) {
            if (!incidence(o, c)) continue;
            occupied[c] = true;
            if (first == none)
                first = c;
            else
                columns.unite(first, c);
        }
    }
    // Compaction keeps the order of the surviving (lowest) columns.
    std::vector<std::size_t> place(n, none);
    std::size_t count = 0;
    for (std::size_t c = 0; c < n; ++c)
        if (occupied[c] && columns.root(c) == c) place[c] = count++;

    BooleMatrix merged(n, false);
    for (std::size_t o = 0; o < n; ++o)
        for (std::size_t c = 0; c < n; ++c)
            if (incidence(o, c)) merged.set(o, place[columns.root(c)], true);
    incidence = std::move(merged);
    return count;
}

std::vector<double> get_diameters(const BooleMatrix& incidence, std::size_t count, const RealMatrix& distances,
                                  DiameterType type, ReplaceUnknownType how) {
    std::vector<double> diameters(count);
    for (std::size_t c = 0; c < count; ++c) {
        const std::vector<std::size_t> members = members_of(incidence, c);
        diameters[c] = type == DiameterType::MAXIMUM ? largest_member_distance(members, distances)
                                                     : largest_nearest_distance(members, distances);
    }
    replace_unknown(diameters, how);
    return diameters;
}

void conditional_inclusion(BooleMatrix& incidence, const RealMatrix& distances, const std::vector<double>& diameters,
                           DiameterType type) {
    for (std::size_t c = 0; c < diameters.size(); ++c) {
        const double diameter = require_range(diameters[c], "cluster diameter");
        // Every test reads the column as it was; the joiners are written
        // after all objects have been tested.
        const std::vector<std::size_t> members = members_of(incidence, c);
        std::vector<std::size_t> joining;
        for (std::size_t o = 0; o < incidence.size(); ++o)
            if (!incidence(o, c) && diameter >= distance_to_cluster(o, members, distances, type)) joining.push_back(o);
        for (std::size_t o : joining) incidence.set(o, c, true);
    }
}

std::size_t stepwise_merging(BooleMatrix& incidence, std::size_t count, const RealMatrix& distances,
                             DiameterType type) {
    if (incidence.size() != distances.size())
        throw SizeError(size_error::real_chars, "phylo-graph: incidence matrix of " + decimal(incidence.size()) +
                                                    " objects for distances of " + decimal(distances.size()));
    for (;;) {
        const std::vector<double> diameters =
            get_diameters(incidence, count, distances, type, ReplaceUnknownType::AVERAGE);
        conditional_inclusion(incidence, distances, diameters, type);
        const std::size_t merged = merge_all(incidence);
        if (merged == count) return count;
        count = merged;
    }
}

Partition incidence_to_clusters(const BooleMatrix& incidence, std::size_t count) {
    const std::size_t n = incidence.size();
    Partition groups(n, -1);
    for (std::size_t c = 0; c < count; ++c) {
        for (std::size_t o = 0; o < n; ++o) {
            if (!incidence(o, c)) continue;
            if (groups[o] >= 0)
                throw NamedError("PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.DOUBLE_OCCURRENCE", decimal(o));
            groups[o] = static_cast<GroupNumber>(c);
        }
    }
    for (std::size_t o = 0; o < n; ++o)
        if (groups[o] < 0) throw NamedError("PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.MISSING_OCCURRENCE", decimal(o));
    return groups;
}

}  // namespace phylo::graph
