// The clique series: seeds by twin count, growth in ascending order, groups
// numbered in extraction order, shared partitions, and the bit-parallel
// extraction and the batched pair consumption against a literal version.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "literal/qt_series.hpp"
#include "phylo/errors.hpp"
#include "phylo/series/qt_series.hpp"
#include "random_matrices.hpp"
#include "test_support.hpp"

namespace {

using phylo::BooleMatrix;
using phylo::Partition;
using phylo::PartitionSet;
using phylo::RealMatrix;
using namespace tarvix_test;

// A threshold graph (every object linked to itself) from its edges.
BooleMatrix graph(std::size_t n, const Edges& edges) { return graph_with(n, edges, true); }

PartitionSet qt(const RealMatrix& d, std::size_t count, double start, double step, bool row_sums = false) {
    PartitionSet result(count);
    phylo::series::qt_series(d, row_sums, result, start, step);
    return result;
}

TEST(DoQt, GrowsTheSeedByObjectsJoinedToEveryMember) {
    // d(0,1) = d(1,2) = 1, d(0,2) = 2 at threshold 1: no twins, object 0
    // seeds, object 1 joins, object 2 is not joined to 0.
    EXPECT_EQ(phylo::series::do_qt(graph(3, {{0, 1}, {1, 2}})), (Partition{0, 0, 1}));
    // At threshold 2 all three are twins.
    EXPECT_EQ(phylo::series::do_qt(graph(3, {{0, 1}, {1, 2}, {0, 2}})), (Partition{0, 0, 0}));
}

TEST(DoQt, SeedsWithTheMostTwinsLowestFirstAndNumbersInExtractionOrder) {
    // 1 and 2 are twins (two entries in their rows of C), 0 and 3 alone.
    EXPECT_EQ(phylo::series::do_qt(graph(4, {{1, 2}})), (Partition{1, 0, 0, 2}));
    // Twins {2, 3} and {4, 5} tie at two, 0 and 1 have none; the lower pair
    // seeds first. Object 1, joined to 2 and 3 (and to 0), joins their
    // group; 0 is left alone and comes last.
    EXPECT_EQ(phylo::series::do_qt(graph(6, {{2, 3}, {4, 5}, {1, 2}, {1, 3}, {0, 1}})), (Partition{2, 0, 0, 0, 1, 1}));
}

TEST(DoQt, GrowsInAscendingOrderAgainstTheMembersSoFar) {
    // 0 is joined to 1 and 2, which are not joined: 1 joins first and
    // keeps 2 out.
    EXPECT_EQ(phylo::series::do_qt(graph(3, {{0, 1}, {0, 2}})), (Partition{0, 0, 1}));
    // Without edges every object is its own group, in object order.
    EXPECT_EQ(phylo::series::do_qt(graph(4, {})), (Partition{0, 1, 2, 3}));
}

TEST(DoQt, AgreesWithTheLiteralExtractionOnRandomGraphs) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        const std::size_t n = 1 + random() % 140;
        BooleMatrix a = random_graph(random, n, (random() % 100) / 100.0, true);
        // Copies of some rows make twins.
        for (std::size_t copies = random() % 4; copies > 0 && n > 2; --copies) {
            const std::size_t from = random() % n, to = random() % n;
            if (from == to) continue;
            for (std::size_t k = 0; k < n; ++k) {
                const bool joined = k == to || k == from || a(from, k);
                a.set(to, k, joined);
                a.set(k, to, joined);
            }
        }
        EXPECT_EQ(literal_do_qt(a), phylo::series::do_qt(a)) << "round " << round;
    }
}

TEST(QtSeries, SharesThePartitionWhereNoPairOrNoGroupChanged) {
    // d(0,1) = 1, d(1,2) = 2, d(0,2) = 5; thresholds 0, 0.5, 1, 1.5, 2.
    const PartitionSet s = qt(from_upper(3, {1, 5, 2}), 5, 0.0, 0.5);
    EXPECT_EQ(*s[0], (Partition{0, 1, 2}));
    EXPECT_EQ(s[1], s[0]);  // nothing consumed
    EXPECT_EQ(*s[2], (Partition{0, 0, 1}));
    EXPECT_NE(s[2], s[1]);
    EXPECT_EQ(s[3], s[2]);
    EXPECT_EQ(s[4], s[2]);  // (1,2) consumed, the groups stay
}

TEST(QtSeries, FollowsTheThresholdGraph) {
    const RealMatrix d = from_upper(3, {1, 2, 1});
    const PartitionSet s = qt(d, 3, 0.0, 1.0);
    EXPECT_EQ(*s[0], (Partition{0, 1, 2}));
    EXPECT_EQ(*s[1], (Partition{0, 0, 1}));
    EXPECT_EQ(*s[2], (Partition{0, 0, 0}));
    // Accumulated thresholds: 0.3 is reached at index 3.
    const PartitionSet t = qt(from_upper(2, {0.3}), 4, 0.0, 0.1);
    EXPECT_EQ(*t[2], (Partition{0, 1}));
    EXPECT_EQ(*t[3], (Partition{0, 0}));
}

TEST(QtSeries, OneObjectAndRangeErrors) {
    const PartitionSet s = qt(RealMatrix(1, 0.0), 3, 0.0, 1.0);
    EXPECT_EQ(*s[0], (Partition{0}));
    EXPECT_EQ(s[1], s[0]);
    EXPECT_EQ(s[2], s[0]);
    PartitionSet result(2);
    EXPECT_THROW(phylo::series::qt_series(from_upper(2, {1}), false, result, -1.0, 1.0), phylo::RangeError);
    EXPECT_THROW(phylo::series::qt_series(from_upper(2, {1}), false, result, 1e308, 1e308), phylo::RangeError);
}

TEST(QtSeries, AgreesWithTheLiteralSeriesOnRandomMatrices) {
    std::mt19937 random(4);
    for (int round = 0; round < 12; ++round) {
        MatrixKind kind = (round % 2 == 0 ? MatrixKind::tie_free() : MatrixKind::chance_ties()).independent_lower();
        if (round % 3 == 2) kind = kind.with_nan(MatrixKind::Place::above_diagonal);
        const RealMatrix d = random_matrix(random, 10 + 6 * static_cast<std::size_t>(round), kind);
        for (bool row_sums : {false, true})
            expect_same_series(literal_qt(d, row_sums, 21, 0.0, 0.05), qt(d, 21, 0.0, 0.05, row_sums),
                               "round " + std::to_string(round) + " row sums " + std::to_string(row_sums));
    }
}

}  // namespace
