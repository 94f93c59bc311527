// How a clustering and a reference partition of the same objects meet:
// which reference groups each cluster holds, which groups are spread over
// several clusters, and which cluster-group pairs have exactly the same
// members.
#pragma once

#include <cstddef>
#include <vector>

namespace tarvix::compare {

// The objects that one cluster and one reference group have in common.
struct Overlap {
    std::size_t cluster = 0;
    std::size_t group = 0;
    std::size_t shared = 0;

    bool operator==(const Overlap&) const = default;
};

// The counts printed at the end of a comparison. A group is matched one to
// one exactly when it is neither merged nor split, so
// groups = one_to_one + merged_groups + split_groups - merged_and_split_groups.
struct Summary {
    std::size_t objects = 0;
    std::size_t clusters = 0;
    std::size_t groups = 0;
    std::size_t merged_clusters = 0;          // clusters holding members of two or more groups
    std::size_t merged_groups = 0;            // groups with members in some merged cluster
    std::size_t split_groups = 0;             // groups with members in two or more clusters
    std::size_t merged_and_split_groups = 0;  // groups that are both
    std::size_t one_to_one = 0;               // cluster-group pairs with the same members

    bool operator==(const Summary&) const = default;
};

struct Comparison {
    std::vector<std::size_t> cluster_sizes;
    std::vector<std::size_t> group_sizes;
    // The first object (in input order) of every cluster.
    std::vector<std::size_t> first_member;
    // Per cluster, the groups it holds; per group, the clusters holding it.
    // Both lists put the largest overlap first; equal overlaps keep the order
    // of group (or cluster) numbers.
    std::vector<std::vector<Overlap>> groups_in_cluster;
    std::vector<std::vector<Overlap>> clusters_of_group;
    Summary summary;

    bool merged(std::size_t cluster) const { return groups_in_cluster[cluster].size() > 1; }
    bool split(std::size_t group) const { return clusters_of_group[group].size() > 1; }
};

// Object i lies in cluster cluster_of[i] (< cluster_count) and in reference
// group group_of[i] (< group_count). Both vectors have one element per
// object; every cluster and every group must have at least one member.
Comparison compare_partitions(const std::vector<std::size_t>& cluster_of, std::size_t cluster_count,
                              const std::vector<std::size_t>& group_of, std::size_t group_count);

}  // namespace tarvix::compare
