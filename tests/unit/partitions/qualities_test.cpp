// Cluster qualities and the partitions-versus-distances criterion, checked on
// small matrices computed by hand.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/partitions/qualities.hpp"
#include "test_support.hpp"

namespace {

using phylo::GroupNameTable;
using phylo::Partition;
using phylo::PartitionSet;
using phylo::RealData;
using phylo::RealMatrix;
using phylo::Squared;
using phylo::partitions::ClusterQualities;
using namespace tarvix_test;

// Two tight clusters {A, B} and {C, D, E}.
const RealMatrix five = five_objects();

void expect_record(const ClusterQualities& q, std::int32_t size, double minimum, double average, double maximum,
                   double spanning, double cohesion, double isolation) {
    EXPECT_EQ(q.size, size);
    EXPECT_DOUBLE_EQ(q.minimum, minimum);
    EXPECT_DOUBLE_EQ(q.average, average);
    EXPECT_DOUBLE_EQ(q.maximum, maximum);
    EXPECT_DOUBLE_EQ(q.spanning, spanning);
    EXPECT_DOUBLE_EQ(q.cohesion, cohesion);
    EXPECT_DOUBLE_EQ(q.isolation, isolation);
}

TEST(ClusterQualities, TwoClustersOfFiveObjects) {
    const auto q = phylo::partitions::cluster_qualities(five, Partition{0, 0, 1, 1, 1}, 0.05);
    ASSERT_EQ(q.size(), 2u);
    expect_record(q[0], 2, 0.02, 0.02, 0.02, 0.02, -1, 0.5);
    // Links at 0.05: C-D 0.04 and D-E 0.05, exactly the two a connected trio needs.
    // Nearest fellow members: C 0.04, D 0.04, E 0.05.
    expect_record(q[1], 3, 0.04, 0.16 / 3, 0.07, 0.05, 0, 0.5);
}

TEST(ClusterQualities, CohesionCountsLinksBeyondASpanningTree) {
    // Distances 0.1, 0.2, 0.5 between P, Q, R.
    const RealMatrix trio = matrix({{0, 0.1, 0.5}, {0.1, 0, 0.2}, {0.5, 0.2, 0}});
    expect_record(phylo::partitions::cluster_qualities(trio, Partition{0, 0, 0}, 0.2)[0], 3, 0.1, 0.8 / 3, 0.5, 0.2, 0,
                  -1);
    EXPECT_EQ(phylo::partitions::cluster_qualities(trio, Partition{0, 0, 0}, 0.5)[0].cohesion, 1.0);
    EXPECT_EQ(phylo::partitions::cluster_qualities(trio, Partition{0, 0, 0}, 0.1)[0].cohesion, -1.0);

    // Four members, six pairs, four links: one link beyond the three needed,
    // out of three pairs beyond them.
    const RealMatrix four = matrix({{0, 1, 1, 3}, {1, 0, 1, 3}, {1, 1, 0, 2}, {3, 3, 2, 0}});
    EXPECT_DOUBLE_EQ(phylo::partitions::cluster_qualities(four, Partition{0, 0, 0, 0}, 2.0)[0].cohesion, 1.0 / 3);
}

TEST(ClusterQualities, SingletonsHaveOnlyAnIsolation) {
    const auto q = phylo::partitions::cluster_qualities(five, Partition{4, 3, 2, 1, 0}, 1.0);
    ASSERT_EQ(q.size(), 5u);
    const double nearest[] = {0.05, 0.04, 0.04, 0.02, 0.02};  // of E, D, C, B, A
    for (std::size_t c = 0; c < 5; ++c) expect_record(q[c], 1, -1, -1, -1, -1, -1, nearest[c]);
}

TEST(ClusterQualities, ReadsTheUpperTriangleOnly) {
    // The lower triangle disagrees and even holds a negative value.
    const RealMatrix lopsided = matrix({{0, 0.3, 0.9}, {-5, 0, 0.7}, {0.1, 0.1, 0}});
    const auto q = phylo::partitions::cluster_qualities(lopsided, Partition{0, 0, 1}, 0.0);
    expect_record(q[0], 2, 0.3, 0.3, 0.3, 0.3, -1, 0.7);
    expect_record(q[1], 1, -1, -1, -1, -1, -1, 0.7);
}

TEST(ClusterQualities, RefusesBadPartitionsAndDistances) {
    const auto too_short = [] { phylo::partitions::cluster_qualities(five, Partition{0, 0, 1}, 0.0); };
    EXPECT_EQ(failure_of<phylo::SizeError>(too_short), "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:1125");
    EXPECT_THROW(phylo::partitions::cluster_qualities(five, Partition{0, 0, 2, 2, 2}, 0.0), phylo::RangeError);
    EXPECT_THROW(phylo::partitions::cluster_qualities(five, Partition{0, 0, 1, 1, 5}, 0.0), phylo::IndexError);
    EXPECT_THROW(phylo::partitions::cluster_qualities(five, Partition{0, 0, 1, 1, -1}, 0.0), phylo::IndexError);
    const RealMatrix negative = matrix({{0, -0.1}, {0.1, 0}});
    EXPECT_THROW(phylo::partitions::cluster_qualities(negative, Partition{0, 1}, 0.0), phylo::RangeError);
}

TEST(ClusterQualitiesTable, SevenValuesPerPartitionForEveryObject) {
    PartitionSet set = make_set({{0, 0, 1, 1, 1}, {0, 0, 0, 0, 0}});
    set.push_back(set[1]);  // one object at two positions
    const RealData table = phylo::partitions::cluster_qualities(five, set, 0.05);
    ASSERT_EQ(table.size(), 5u);
    ASSERT_EQ(table.rows[4].size(), 21u);
    // Object E: cluster 1 of the first partition, its record with isolation
    // before cohesion.
    const ClusterQualities q = phylo::partitions::cluster_qualities(five, Partition{0, 0, 1, 1, 1}, 0.05)[1];
    EXPECT_EQ(std::vector<double>(table.rows[4].begin(), table.rows[4].begin() + 7),
              (std::vector<double>{1, q.minimum, q.average, q.maximum, q.spanning, q.isolation, q.cohesion}));
    // Object A in the single cluster: average of all ten distances, 3.54 / 10.
    EXPECT_EQ(table.rows[0][7], 0.0);
    EXPECT_DOUBLE_EQ(table.rows[0][9], 0.354);
    EXPECT_EQ(table.rows[0][12], -1.0);  // no outsider
    for (const auto& row : table.rows)
        EXPECT_EQ(std::vector<double>(row.begin() + 7, row.begin() + 14),
                  std::vector<double>(row.begin() + 14, row.end()));
}

TEST(ClusterQualitiesTable, RefusesUnalignedSetsAndNegativeThresholds) {
    auto failure = [](const PartitionSet& set) {
        return failure_of<phylo::SizeError>([&] { phylo::partitions::cluster_qualities(five, set, 0.0); });
    };
    EXPECT_EQ(failure(make_set({{0, 0, 0, 0, 0}, {0, 0}})), "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:1249");
    EXPECT_EQ(failure(make_set({{0, 0}})), "PHYLO.REFNO_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:1125");
    EXPECT_THROW(phylo::partitions::cluster_qualities(five, make_set({{0, 0, 0, 0, 0}}), -0.01), phylo::RangeError);
    EXPECT_THROW(phylo::partitions::cluster_qualities(five, PartitionSet{}, 0.0), phylo::IndexError);
}

TEST(PartitionVsDistance, RatioOfBetweenToWithinSquares) {
    // Squares: total 1.9008, within 0.0004 + 0.0016 + 0.0049 + 0.0025 = 0.0094;
    // (1.8914 / 0.0094) * (3 / 1) = 28371 / 47.
    EXPECT_NEAR(phylo::partitions::partition_vs_distance(Partition{0, 0, 1, 1, 1}, five), 28371.0 / 47, 1e-9);
    EXPECT_EQ(phylo::partitions::partition_vs_distance(Partition{0, 0, 0, 0, 0}, five), -1.0);
    EXPECT_EQ(phylo::partitions::partition_vs_distance(Partition{0, 1, 2, 3, 4}, five), -1.0);
}

TEST(PartitionVsDistance, GroupFactorIsARealQuotient) {
    // All distances 1: total 10, within 1, (9 / 1) * ((5 - 4) / (4 - 1)) = 3.
    const RealMatrix ones =
        matrix({{0, 1, 1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 0, 1, 1}, {1, 1, 1, 0, 1}, {1, 1, 1, 1, 0}});
    EXPECT_DOUBLE_EQ(phylo::partitions::partition_vs_distance(Partition{0, 0, 1, 2, 3}, ones), 3.0);
}

TEST(PartitionVsDistance, IdenticalMembersUseATinyWithinSum) {
    // Total 4 from the between pairs, within 0 taken as 0.000001, factor 2 / 1.
    const RealMatrix pairs = matrix({{0, 0, 1, 1}, {0, 0, 1, 1}, {1, 1, 0, 0}, {1, 1, 0, 0}});
    EXPECT_NEAR(phylo::partitions::partition_vs_distance(Partition{0, 0, 1, 1}, pairs), 7999998.0, 1e-6);
}

TEST(PartitionVsDistance, ReadsTheUpperTriangleAndChecksTheSize) {
    const RealMatrix lopsided = matrix({{0, 1, 2}, {9, 0, 3}, {9, 9, 0}});
    // Total 1 + 4 + 9 = 14, within 1, (13 / 1) * (1 / 1).
    EXPECT_DOUBLE_EQ(phylo::partitions::partition_vs_distance(Partition{0, 0, 1}, lopsided), 13.0);
    const auto too_short = [&] { phylo::partitions::partition_vs_distance(Partition{0, 1}, lopsided); };
    EXPECT_EQ(failure_of<phylo::SizeError>(too_short), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:915");
}

TEST(PartitionsVsDistances, WritesOneColumnOfEveryRow) {
    PartitionSet set = make_set({{0, 1, 2, 3, 4}, {0, 0, 1, 1, 1}});
    set.push_back(set[1]);
    RealData table(3);
    for (auto& row : table.rows) row = {7.0, 0.0};
    phylo::partitions::partitions_vs_distances(set, five, 1, table);
    EXPECT_EQ(table.rows[0], (std::vector<double>{7.0, -1.0}));
    EXPECT_NEAR(table.rows[1][1], 28371.0 / 47, 1e-9);
    EXPECT_EQ(table.rows[2], table.rows[1]);

    RealData short_table(2);
    EXPECT_EQ(
        failure_of<phylo::SizeError>([&] { phylo::partitions::partitions_vs_distances(set, five, 1, short_table); }),
        "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:992");
}

// Objects A..D; the second matrix names them a2..d2 and lists them as c2, a2,
// d2, b2. Translated to object order, its upper triangle holds A-B 1, C-D 1
// and 2 between the pairs; the entries that stay unread hold 9, so that a
// transposed translation shows.
Squared second_matrix() {
    Squared m;
    m.labels = {"c2", "a2", "d2", "b2"};
    m.matrix = matrix({{0, 9, 1, 9}, {2, 0, 2, 1}, {9, 9, 0, 9}, {2, 9, 2, 0}});
    return m;
}

const GroupNameTable name_table = {{"A", "B", "C", "D"}, {"a2", "b2", "c2", "d2"}};

TEST(TranslateMatrix, ReordersEntriesToTheObjectLabels) {
    const Squared source = second_matrix();
    const auto first = phylo::partitions::to_map(name_table[0], phylo::partitions::MapMode::UNIQUE);
    const auto second = phylo::partitions::to_map(source.labels, phylo::partitions::MapMode::UNIQUE);
    // Object order B, A, D, C.
    const RealMatrix t =
        phylo::partitions::translate_matrix(source.matrix, first, second, {"B", "A", "D", "C"}, name_table[1]);
    const double expected[4][4] = {{0, 9, 2, 2}, {1, 0, 2, 2}, {9, 9, 0, 9}, {9, 9, 1, 0}};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = 0; j < 4; ++j) EXPECT_EQ(t(i, j), expected[i][j]) << i << ", " << j;
}

TEST(PartitionsVsDistancesOnSecondMatrices, CountsGroupsThenRatesEachMatrix) {
    const std::vector<Squared> seconds = {second_matrix()};
    PartitionSet set = make_set({{0, 0, 1, 1}, {0, 0, 0, 0}});
    RealData table(2);
    table.rows[0] = {5.0};
    phylo::partitions::partitions_vs_distances(set, {"A", "B", "C", "D"}, name_table, seconds, table);
    // Total 1 + 1 + 4 * 4 = 18, within 2: (16 / 2) * (2 / 1).
    EXPECT_EQ(table.rows[0], (std::vector<double>{2.0, 16.0}));
    EXPECT_EQ(table.rows[1], (std::vector<double>{1.0, -1.0}));
}

TEST(PartitionsVsDistancesOnSecondMatrices, RefusesShapesThatDisagreeAndMissingNames) {
    const std::vector<Squared> seconds = {second_matrix()};
    const PartitionSet set = make_set({{0, 0, 1, 1}});
    const phylo::Labels objects = {"A", "B", "C", "D"};
    auto failure = [&](const PartitionSet& partitions, const phylo::Labels& labels, const GroupNameTable& names,
                       std::size_t rows) {
        RealData table(rows);
        return failure_of(
            [&] { phylo::partitions::partitions_vs_distances(partitions, labels, names, seconds, table); });
    };
    const std::string names = "PHYLO.GROUP_NAMES.SIZE_ERROR: phylo-taxonomy:1038";
    EXPECT_EQ(failure(set, {"A", "B", "C"}, name_table, 1), names);
    EXPECT_EQ(failure(set, objects, {name_table[0], name_table[1], name_table[1]}, 1), names);
    EXPECT_EQ(failure(set, objects, {name_table[0], {"a2", "b2", "c2"}}, 1), names);
    EXPECT_EQ(failure({}, objects, name_table, 1), names);
    EXPECT_EQ(failure(set, objects, name_table, 2), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: phylo-taxonomy:1040");
    EXPECT_EQ(failure(set, objects, {name_table[0], {"a2", "b2", "c2", "e2"}}, 1),
              "container error: no element available because key not in map");
}

}  // namespace
