#include <gtest/gtest.h>

#include <stdexcept>

#include "comparison.hpp"

using tarvix::compare::compare_partitions;
using tarvix::compare::Comparison;
using tarvix::compare::Overlap;
using tarvix::compare::Summary;

namespace {

// Summary fields in declaration order: objects, clusters, groups, merged
// clusters, merged groups, split groups, merged and split groups, one to one.
Summary summary(std::size_t objects, std::size_t clusters, std::size_t groups, std::size_t merged_clusters,
                std::size_t merged_groups, std::size_t split_groups, std::size_t both, std::size_t one_to_one) {
    return {objects, clusters, groups, merged_clusters, merged_groups, split_groups, both, one_to_one};
}

}  // namespace

TEST(Comparison, SameGroupsUnderOtherNumbersMatchOneToOne) {
    // Clusters {0,1} {2,3} {4}; the reference names them 2, 0, 1.
    const Comparison c = compare_partitions({0, 0, 1, 1, 2}, 3, {2, 2, 0, 0, 1}, 3);
    EXPECT_EQ(c.summary, summary(5, 3, 3, 0, 0, 0, 0, 3));
    EXPECT_EQ(c.groups_in_cluster[0], (std::vector<Overlap>{{0, 2, 2}}));
    EXPECT_EQ(c.groups_in_cluster[2], (std::vector<Overlap>{{2, 1, 1}}));
    EXPECT_EQ(c.cluster_sizes, (std::vector<std::size_t>{2, 2, 1}));
    EXPECT_EQ(c.group_sizes, (std::vector<std::size_t>{2, 1, 2}));
}

TEST(Comparison, ClusterHoldingTwoGroupsMergesBoth) {
    // Cluster 0 = objects 0..2 holds group 0 (object 0) and group 1 (1, 2);
    // cluster 1 = group 2 alone.
    const Comparison c = compare_partitions({0, 0, 0, 1}, 2, {0, 1, 1, 2}, 3);
    EXPECT_EQ(c.summary, summary(4, 2, 3, 1, 2, 0, 0, 1));
    // The larger share first.
    EXPECT_EQ(c.groups_in_cluster[0], (std::vector<Overlap>{{0, 1, 2}, {0, 0, 1}}));
    EXPECT_TRUE(c.merged(0));
    EXPECT_FALSE(c.merged(1));
    EXPECT_FALSE(c.split(0));
}

TEST(Comparison, GroupOverSeveralClustersIsSplit) {
    // Group 0 = objects 0..2 lies in cluster 0 (object 0) and cluster 1 (1, 2).
    const Comparison c = compare_partitions({0, 1, 1, 2}, 3, {0, 0, 0, 1}, 2);
    EXPECT_EQ(c.summary, summary(4, 3, 2, 0, 0, 1, 0, 1));
    EXPECT_EQ(c.clusters_of_group[0], (std::vector<Overlap>{{1, 0, 2}, {0, 0, 1}}));
    EXPECT_TRUE(c.split(0));
    EXPECT_FALSE(c.split(1));
}

TEST(Comparison, MergesAndSplitsAtOnce) {
    // Clusters {0,1} {2,3,4} {5}; groups {0} {1,2,3} {4,5}.
    // Cluster 0 holds groups 0 and 1, cluster 1 holds groups 1 and 2: both
    // merged; group 1 lies in clusters 0 and 1, group 2 in 1 and 2: split.
    const Comparison c = compare_partitions({0, 0, 1, 1, 1, 2}, 3, {0, 1, 1, 1, 2, 2}, 3);
    EXPECT_EQ(c.summary, summary(6, 3, 3, 2, 3, 2, 2, 0));
    // Equal shares keep the group order, then the cluster order.
    EXPECT_EQ(c.groups_in_cluster[0], (std::vector<Overlap>{{0, 0, 1}, {0, 1, 1}}));
    EXPECT_EQ(c.groups_in_cluster[1], (std::vector<Overlap>{{1, 1, 2}, {1, 2, 1}}));
    EXPECT_EQ(c.clusters_of_group[1], (std::vector<Overlap>{{1, 1, 2}, {0, 1, 1}}));
    EXPECT_EQ(c.clusters_of_group[2], (std::vector<Overlap>{{1, 2, 1}, {2, 2, 1}}));
    EXPECT_EQ(c.first_member, (std::vector<std::size_t>{0, 2, 5}));
}

TEST(Comparison, SingletonsOnEitherSide) {
    // Every object its own cluster: group 0 = {0, 1} is split, groups 1 and
    // 2 are singletons matched one to one.
    const Comparison alone = compare_partitions({0, 1, 2, 3}, 4, {0, 0, 1, 2}, 3);
    EXPECT_EQ(alone.summary, summary(4, 4, 3, 0, 0, 1, 0, 2));
    // One cluster for all, every object its own group: all three merged.
    const Comparison together = compare_partitions({0, 0, 0}, 1, {0, 1, 2}, 3);
    EXPECT_EQ(together.summary, summary(3, 1, 3, 1, 3, 0, 0, 0));
    // A single object is a one-to-one match of itself.
    EXPECT_EQ(compare_partitions({0}, 1, {0}, 1).summary, summary(1, 1, 1, 0, 0, 0, 0, 1));
}

TEST(Comparison, FirstMemberFollowsTheObjectOrder) {
    const Comparison c = compare_partitions({1, 0, 1, 0}, 2, {0, 0, 0, 0}, 1);
    EXPECT_EQ(c.first_member, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(c.summary, summary(4, 2, 1, 0, 0, 1, 0, 0));
}

TEST(Comparison, RejectsInconsistentPartitions) {
    EXPECT_THROW(compare_partitions({0, 0}, 1, {0}, 1), std::invalid_argument);
    EXPECT_THROW(compare_partitions({0, 2}, 2, {0, 0}, 1), std::invalid_argument);
    // A cluster without members.
    EXPECT_THROW(compare_partitions({0, 0}, 2, {0, 0}, 1), std::invalid_argument);
}
