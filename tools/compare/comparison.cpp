#include "comparison.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace tarvix::compare {

namespace {

// Largest overlap first; ties keep the order of the other side's numbers,
// which is the order in which the inputs present them.
void order_by_overlap(std::vector<Overlap>& overlaps, std::size_t Overlap::*other) {
    std::sort(overlaps.begin(), overlaps.end(), [other](const Overlap& a, const Overlap& b) {
        if (a.shared != b.shared) return a.shared > b.shared;
        return a.*other < b.*other;
    });
}

}  // namespace

Comparison compare_partitions(const std::vector<std::size_t>& cluster_of, std::size_t cluster_count,
                              const std::vector<std::size_t>& group_of, std::size_t group_count) {
    if (cluster_of.size() != group_of.size())
        throw std::invalid_argument("the clustering and the reference partition differ in length");
    const std::size_t n = cluster_of.size();

    Comparison result;
    result.cluster_sizes.assign(cluster_count, 0);
    result.group_sizes.assign(group_count, 0);
    result.first_member.assign(cluster_count, n);
    for (std::size_t i = 0; i < n; ++i) {
        if (cluster_of[i] >= cluster_count || group_of[i] >= group_count)
            throw std::invalid_argument("a cluster or group number is out of range");
        if (result.cluster_sizes[cluster_of[i]]++ == 0) result.first_member[cluster_of[i]] = i;
        ++result.group_sizes[group_of[i]];
    }
    if (std::count(result.cluster_sizes.begin(), result.cluster_sizes.end(), 0) != 0 ||
        std::count(result.group_sizes.begin(), result.group_sizes.end(), 0) != 0)
        throw std::invalid_argument("a cluster or group has no member");

    // The contingency table is sparse (a cluster rarely meets more than a
    // few groups), so count the occupied cells from the sorted pairs.
    std::vector<std::pair<std::size_t, std::size_t>> cells(n);
    for (std::size_t i = 0; i < n; ++i) cells[i] = {cluster_of[i], group_of[i]};
    std::sort(cells.begin(), cells.end());
    result.groups_in_cluster.resize(cluster_count);
    result.clusters_of_group.resize(group_count);
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i;
        while (j < n && cells[j] == cells[i]) ++j;
        const Overlap overlap{cells[i].first, cells[i].second, j - i};
        result.groups_in_cluster[overlap.cluster].push_back(overlap);
        result.clusters_of_group[overlap.group].push_back(overlap);
        i = j;
    }
    for (auto& overlaps : result.groups_in_cluster) order_by_overlap(overlaps, &Overlap::group);
    for (auto& overlaps : result.clusters_of_group) order_by_overlap(overlaps, &Overlap::cluster);

    Summary& summary = result.summary;
    summary.objects = n;
    summary.clusters = cluster_count;
    summary.groups = group_count;
    std::vector<bool> group_merged(group_count, false);
    for (std::size_t c = 0; c < cluster_count; ++c) {
        if (!result.merged(c)) continue;
        ++summary.merged_clusters;
        for (const Overlap& overlap : result.groups_in_cluster[c]) group_merged[overlap.group] = true;
    }
    for (std::size_t g = 0; g < group_count; ++g) {
        const bool split = result.split(g);
        summary.merged_groups += group_merged[g];
        summary.split_groups += split;
        summary.merged_and_split_groups += group_merged[g] && split;
        // Not split: all of g lies in one cluster; not merged: that cluster
        // holds nothing else. So the two have the same members.
        summary.one_to_one += !group_merged[g] && !split;
    }
    return result;
}

}  // namespace tarvix::compare
