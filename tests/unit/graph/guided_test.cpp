// Proximity graphs, edge measures, cluster merging and the guided clustering,
// on small matrices worked out by hand; the spanning tree and the column
// merging are also checked against literal versions of the slow procedures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "literal/gabriel.hpp"
#include "literal/merge_all.hpp"
#include "literal/reverse_deletion.hpp"
#include "phylo/graph/builders.hpp"
#include "phylo/graph/edges.hpp"
#include "phylo/graph/guided.hpp"
#include "phylo/graph/merging.hpp"
#include "phylo/graph/shortest_paths.hpp"
#include "random_matrices.hpp"
#include "test_support.hpp"

namespace {

using phylo::BooleMatrix;
using phylo::Partition;
using phylo::RealMatrix;
namespace graph = phylo::graph;
using graph::GraphType;
using graph::MergingType;
using graph::TrimmingType;
using namespace tarvix_test;
using Kind = MatrixKind;

const double nan = std::numeric_limits<double>::quiet_NaN();

// Columns as lists of objects, for building incidence matrices.
BooleMatrix incidence_with(std::size_t n, const std::vector<std::vector<int>>& columns) {
    BooleMatrix m(n, false);
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (int o : columns[c]) m.set(o, c, true);
    return m;
}

// The six objects of two clumps on a line: 0, 1, 2, 3 and 10, 11.
RealMatrix two_clumps() { return on_a_line({0, 1, 2, 3, 10, 11}); }

// ---------------------------------------------------------------- builders

TEST(Builders, NearestNeighbourGraphKeepsEveryTiedNeighbour) {
    // At 0, 1, 3: 1 has 0 as its only nearest neighbour, 2 has 1.
    EXPECT_EQ(edges_of(graph::build_nng(on_a_line({0, 1, 3}))), (Edges{{0, 1}, {1, 2}}));
    // At 0, 1, 2: both neighbours of 1 lie at 1.
    EXPECT_EQ(edges_of(graph::build_nng(on_a_line({0, 1, 2}))), (Edges{{0, 1}, {1, 2}}));
    // At 0, 1, 2, 4: 3 has 2 as its nearest neighbour, 2 away.
    EXPECT_EQ(edges_of(graph::build_nng(on_a_line({0, 1, 2, 4}))), (Edges{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(Builders, ReadOnlyTheUpperTriangleForNearestDistances) {
    RealMatrix d = on_a_line({0, 1, 3});
    d(1, 0) = -5;
    d(2, 0) = nan;
    EXPECT_EQ(graph::shortest_distances(d), (std::vector<double>{1, 1, 2}));
    EXPECT_EQ(edges_of(graph::build_nng(d)), (Edges{{0, 1}, {1, 2}}));
}

TEST(Builders, SphereOfInfluenceGraphJoinsTouchingSpheres) {
    // Nearest distances 1, 1, 2, 7: 0-2 touch exactly (1 + 2 = 3).
    EXPECT_EQ(edges_of(graph::build_soig(on_a_line({0, 1, 3, 10}))), (Edges{{0, 1}, {0, 2}, {1, 2}, {2, 3}}));
}

TEST(Builders, GabrielGraphNeedsAStrictlyCloserWitness) {
    // A right triangle 3, 4, 5: 3^2 + 4^2 = 5^2 is no witness.
    RealMatrix right = matrix({{0, 3, 4}, {3, 0, 5}, {4, 5, 0}});
    EXPECT_EQ(edges_of(graph::build_gg(right)), (Edges{{0, 1}, {0, 2}, {1, 2}}));
    right(1, 2) = right(2, 1) = 5.0001;
    EXPECT_EQ(edges_of(graph::build_gg(right)), (Edges{{0, 1}, {0, 2}}));
    EXPECT_EQ(edges_of(graph::build_gg(two_clumps())), (Edges{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}));
}

TEST(Builders, GabrielGraphEqualsTheLiteralTestOnRandomMatrices) {
    // Up to 45 objects span several blocks of columns and bands of rows.
    // Square roots of few levels make sums tie with squares (1 + 1 < 4 but
    // 1 + 4 = 5 is no witness for 5); odd rounds fill the lower triangle
    // independently, with negative entries and not-a-numbers, which only rows
    // i and j show.
    std::mt19937 random(99u);
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = 2 + random() % 44;
        const Kind kind = Kind::tie_heavy(2 + static_cast<int>(random() % 6))
                              .with_lower(round % 2 == 0 ? Kind::Lower::mirrored : Kind::Lower::independent_negative);
        RealMatrix d = random_matrix(random, n, round % 4 == 1 ? kind.with_nan(Kind::Place::below_diagonal) : kind);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j) {
                d(i, j) = std::sqrt(d(i, j));
                if (round % 2 == 0) d(j, i) = d(i, j);
            }
        ASSERT_EQ(edges_of(graph::build_gg(d)), edges_of(literal_gabriel(d))) << "round " << round;
    }
}

TEST(Builders, RejectNotANumberAmongTheDistances) {
    // Negative and overflowing distances, which a matrix file can hold, stop
    // the command line: the end-to-end cases fails_on_a_negative_distance_in_a_*
    // and fails_on_a_huge_distance_in_a_gabriel_graph.
    RealMatrix d = on_a_line({0, 1, 3});
    d(0, 2) = nan;
    EXPECT_EQ(failure_of([&] { graph::build_soig(d); }), "range error: distance outside 0 .. largest double: nan");
}

TEST(Builders, SpanningTreeOfALine) {
    EXPECT_EQ(edges_of(graph::build_mst(two_clumps())), (Edges{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}));
    EXPECT_EQ(edges_of(graph::build_mst(on_a_line({5}))), Edges{});
}

TEST(Builders, MinimumSpanningNetworkAddsPairsWithinTheLongestTreeEdges) {
    // Tree edges 0-1, 1-2, 2-3, 4-5 of length 1 and 3-4 of 7: L = 1 except
    // L(3) = L(4) = 7, which admits 0-3 (3) and 1-3 (2), but not 2-4 (8).
    EXPECT_EQ(edges_of(graph::build_msn(two_clumps())),
              (Edges{{0, 1}, {0, 3}, {1, 2}, {1, 3}, {2, 3}, {3, 4}, {4, 5}}));
    // One object has no tree edge and no other to take a median from: the
    // end-to-end case fails_on_a_single_object_in_a_minimum_spanning_network.
}

TEST(Builders, RelativeNeighbourhoodKinds) {
    // Which kinds write their graph, and how, the end-to-end cases
    // guided_clustering_* compare byte for byte.
    WrittenGraphs out;
    EXPECT_EQ(edges_of(graph::build_graph(on_a_line({0, 1, 3}), GraphType::RNG, out.observer())),
              (Edges{{0, 1}, {1, 2}}));
    // At 0, 1, 3, 10: the RNG joins neighbours along the line, the SOIG
    // these and 0-2.
    EXPECT_EQ(edges_of(graph::build_graph(on_a_line({0, 1, 3, 10}), GraphType::RNG_SOIG, out.observer())),
              (Edges{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(Builders, PartitionToAdjacencyJoinsGroupMates) {
    EXPECT_EQ(edges_of(graph::partition_to_adjacency({0, 1, 0, 1, 2})), (Edges{{0, 2}, {1, 3}}));
    const auto out_of_range = [] { graph::partition_to_adjacency({0, 3, 1}); };
    EXPECT_EQ(failure_of(out_of_range), "range error: group number outside 0 .. 2: 3");
}

TEST(Builders, ConjunctionNeedsGraphsOfOneSize) {
    BooleMatrix a = graph_with(3, {{0, 1}, {1, 2}});
    BooleMatrix b = graph_with(3, {{0, 1}, {0, 2}});
    EXPECT_EQ(edges_of(graph::conjunction(a, b)), (Edges{{0, 1}}));
    EXPECT_THROW(graph::conjunction(a, BooleMatrix(2, false)), phylo::SizeError);
}

// ------------------------------------------------------------ spanning tree

TEST(SpanningTree, EqualsReverseDeletionOnTieHeavyMatrices) {
    // One to three levels tie nearly every pair (one level: all equal, so
    // the heap sort's order decides); with 1000 levels most trees are the
    // only least tree, which needs no pair list. An unrelated lower triangle
    // changes the row sums, and with them the order of equal distances in
    // the pair list; a not-a-number row sum gives it no ranks to sort by.
    std::mt19937 random(20240611u);
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = 2 + random() % 13;
        Kind kind = Kind::tie_heavy(round % 4 == 3 ? 1000 : 1 + static_cast<int>(random() % 3))
                        .independent_lower(round % 2 == 1);
        if (round % 8 == 5) kind = kind.with_nan(Kind::Place::below_diagonal);
        const RealMatrix d = random_matrix(random, n, kind);
        const Edges expected = edges_of(reverse_deletion_tree(d));
        ASSERT_EQ(expected.size(), n - 1);
        ASSERT_EQ(edges_of(graph::build_mst(d)), expected) << "round " << round;
    }
}

// ------------------------------------------------------------ edge measures

TEST(EdgeMeasures, LongestEdgesReplaceMissingByMeanOrMedian) {
    // Edges 0-1 (1) and 1-2 (5); object 3 has none.
    RealMatrix d = on_a_line({0, 1, 6, 20});
    BooleMatrix g = graph_with(4, {{0, 1}, {1, 2}});
    EXPECT_EQ(graph::longest_edges(g, d, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{1, 5, 5, (1.0 + 5.0 + 5.0) / 3.0}));
    EXPECT_EQ(graph::longest_edges(g, d, graph::ReplaceUnknownType::MEDIAN), (std::vector<double>{1, 5, 5, 5}));

    const auto none = graph::longest_edges(BooleMatrix(3, false), d, graph::ReplaceUnknownType::AVERAGE);
    for (double value : none) EXPECT_TRUE(std::isnan(value));
}

TEST(EdgeMeasures, LongestEdgesReadTheUpperTriangle) {
    RealMatrix d = on_a_line({0, 1, 3});
    d(1, 0) = 50;
    EXPECT_EQ(graph::longest_edges(graph_with(3, {{0, 1}}), d, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{1, 1, 1}));
}

TEST(EdgeMeasures, EdgeLengthsRowByRowAndSplitKeepsTheLimit) {
    RealMatrix d = on_a_line({0, 1, 3, 7});
    BooleMatrix g = graph_with(4, {{2, 3}, {0, 1}, {0, 2}, {1, 3}});
    EXPECT_EQ(graph::edge_lengths(g, d), (std::vector<double>{1, 3, 6, 4}));
    graph::split(g, d, 4);
    EXPECT_EQ(edges_of(g), (Edges{{0, 1}, {0, 2}, {2, 3}}));
}

TEST(EdgeMeasures, TrimLimitIsFormedInTheWrittenOrder) {
    // Path 0-1-2-3-4-5 with edges 0.3, 0.3, 0.3, then the limit
    // sqrt(1.5707963268) x 3.5 x 0.3 = 1.315979844183413 and the next double
    // above it (what sqrt(1.5707963268) x (3.5 x 0.3) gives). Median 0.3.
    const double at_limit = 1.315979844183413, above = 1.3159798441834132;
    ASSERT_EQ(std::nextafter(at_limit, 2.0), above);
    RealMatrix d(6, 100.0);
    d(0, 1) = d(1, 2) = d(2, 3) = 0.3;
    d(3, 4) = at_limit;
    d(4, 5) = above;
    BooleMatrix g = graph_with(6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}});
    graph::trim(g, d);
    EXPECT_EQ(edges_of(g), (Edges{{0, 1}, {1, 2}, {2, 3}, {3, 4}}));
}

TEST(EdgeMeasures, TrimWithMedianOneUsesTheStatedFactor) {
    const double factor = 4.386599480611377;
    RealMatrix d(4, 100.0);
    d(0, 1) = d(1, 2) = 1.0;
    d(2, 3) = factor;
    BooleMatrix g = graph_with(4, {{0, 1}, {1, 2}, {2, 3}});
    graph::trim(g, d);
    EXPECT_EQ(edges_of(g).size(), 3u);
    d(2, 3) = std::nextafter(factor, 5.0);
    graph::trim(g, d);
    EXPECT_EQ(edges_of(g), (Edges{{0, 1}, {1, 2}}));
}

// ------------------------------------------------------------------ merging

TEST(Merging, MergeAllUnitesThroughLaterColumns) {
    // Column 0 shares 0 only with column 2, which shares 2 with column 1.
    BooleMatrix m = incidence_with(4, {{0}, {1, 2}, {0, 2}, {3}});
    EXPECT_EQ(graph::merge_all(m), 2u);
    EXPECT_EQ(graph::incidence_to_clusters(m, 2), (Partition{0, 0, 0, 1}));
}

TEST(Merging, MergeAllMatchesTheLiteralProcedure) {
    std::mt19937 random(7u);
    for (int round = 0; round < 300; ++round) {
        BooleMatrix m = random_booleans(random, 1 + random() % 8, 0.2);
        BooleMatrix expected = m;
        const std::size_t count = literal_merge_all(expected);
        ASSERT_EQ(graph::merge_all(m), count) << "round " << round;
        for (std::size_t o = 0; o < m.size(); ++o)
            for (std::size_t c = 0; c < m.size(); ++c)
                ASSERT_EQ(m(o, c), expected(o, c)) << round << ": " << o << "," << c;
    }
}

TEST(Merging, DiametersByMaximumAndMaxMin) {
    // Clusters {0, 1, 2} at 0, 1, 3; {3} alone; {4, 5} at 10, 10.5.
    RealMatrix d = on_a_line({0, 1, 3, 7, 10, 10.5});
    BooleMatrix m = incidence_with(6, {{0, 1, 2}, {3}, {4, 5}});
    EXPECT_EQ(graph::get_diameters(m, 3, d, graph::DiameterType::MAXIMUM, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{3, (3 + 0.5) / 2, 0.5}));
    EXPECT_EQ(graph::get_diameters(m, 3, d, graph::DiameterType::MAX_MIN, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{2, (2 + 0.5) / 2, 0.5}));
}

TEST(Merging, MaxMinDiametersReadRowsInFull) {
    // d(0, 1) = 1 above the diagonal, d(1, 0) = 4 below it.
    RealMatrix d = matrix({{0, 1}, {4, 0}});
    BooleMatrix m = incidence_with(2, {{0, 1}});
    EXPECT_EQ(graph::get_diameters(m, 1, d, graph::DiameterType::MAXIMUM, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{1}));
    EXPECT_EQ(graph::get_diameters(m, 1, d, graph::DiameterType::MAX_MIN, graph::ReplaceUnknownType::AVERAGE),
              (std::vector<double>{4}));
}

TEST(Merging, InclusionTestsEveryObjectAgainstTheOldMembers) {
    // Cluster {0, 1} at 0 and 2; object 2 at 3, object 3 at 4.
    RealMatrix d = on_a_line({0, 2, 3, 4});
    // Mean distances 2 and 3: only 2 reaches diameter 2.
    BooleMatrix by_mean = incidence_with(4, {{0, 1}});
    graph::conditional_inclusion(by_mean, d, {2.0}, graph::DiameterType::MAXIMUM);
    // Nearest distances 1 and 2 against diameter 1.5: 3 would join only if
    // the newly joined 2 already counted as a member.
    BooleMatrix by_nearest = incidence_with(4, {{0, 1}});
    graph::conditional_inclusion(by_nearest, d, {1.5}, graph::DiameterType::MAX_MIN);
    for (std::size_t o = 0; o < 4; ++o) {
        EXPECT_EQ(by_mean(o, 0), o <= 2) << o;
        EXPECT_EQ(by_nearest(o, 0), o <= 2) << o;
    }
    EXPECT_EQ(failure_of([&] { graph::conditional_inclusion(by_mean, d, {nan}, graph::DiameterType::MAXIMUM); }),
              "range error: cluster diameter outside 0 .. largest double: nan");
}

TEST(Merging, StepwiseMergingRepeatsUntilNothingJoins) {
    // {0, 1} at 0, 1; {2} at 2; {3, 4} at 5, 6. Diameters 1, 1 (the mean of
    // the others), 1: object 1 joins {2}, so {0, 1, 2} forms; then diameters
    // 2 and 1 admit nobody.
    RealMatrix d = on_a_line({0, 1, 2, 5, 6});
    for (auto type : {graph::DiameterType::MAXIMUM, graph::DiameterType::MAX_MIN}) {
        BooleMatrix m = incidence_with(5, {{0, 1}, {2}, {3, 4}});
        const std::size_t count = graph::stepwise_merging(m, 3, d, type);
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(graph::incidence_to_clusters(m, count), (Partition{0, 0, 0, 1, 1}));
    }
    BooleMatrix wrong(4, false);
    EXPECT_THROW(graph::stepwise_merging(wrong, 0, d, graph::DiameterType::MAXIMUM), phylo::SizeError);
}

TEST(Merging, IncidenceToClustersRejectsNonPartitions) {
    const auto twice = [] { graph::incidence_to_clusters(incidence_with(3, {{0, 1}, {1, 2}}), 2); };
    EXPECT_EQ(failure_of<phylo::NamedError>(twice), "PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.DOUBLE_OCCURRENCE: 1");
    const auto missing = [] { graph::incidence_to_clusters(incidence_with(3, {{0}, {1}, {2}}), 2); };
    EXPECT_EQ(failure_of<phylo::NamedError>(missing), "PHYLO.GRAPH.INCIDENCE_TO_CLUSTERS.MISSING_OCCURRENCE: 2");
}

// -------------------------------------------------------- guided clustering

Partition guided(const RealMatrix& d, const Partition& guide, GraphType kind, bool long_edges = true,
                 TrimmingType trimming = TrimmingType::NONE, MergingType merging = MergingType::NONE) {
    WrittenGraphs out;
    return graph::guided_clustering(d, guide, kind, trimming, long_edges, merging, out.observer());
}

TEST(GuidedClustering, DefaultSettingsOnTwoClumps) {
    // RNG edges A-B, A-C, C-D, D-E. With groups {A, B}, {C, D, E} the long
    // edge A-C (0.5) exceeds the longest supported edges at A and C.
    EXPECT_EQ(edges_of(graph::build_rng(five_objects())), (Edges{{0, 1}, {0, 2}, {2, 3}, {3, 4}}));
    EXPECT_EQ(guided(five_objects(), {0, 0, 1, 1, 1}, GraphType::RNG), (Partition{0, 0, 1, 1, 1}));
    // E alone: its longest supported edge is the mean (0.02 + 0.02 + 0.04 +
    // 0.04) / 4 = 0.03 of the others, and D-E (0.05) exceeds 0.04 and 0.03.
    EXPECT_EQ(guided(five_objects(), {0, 0, 1, 1, 2}, GraphType::RNG), (Partition{0, 0, 1, 1, 2}));
    // One guide group: the connected RNG gives one group.
    EXPECT_EQ(guided(five_objects(), {0, 0, 0, 0, 0}, GraphType::RNG), (Partition{0, 0, 0, 0, 0}));
}

TEST(GuidedClustering, LongEdgeRuleAdmitsEdgesAtTheLongestSupportedLength) {
    // Guide {0, 1}, {2, 3}, {4, 5}: every supported edge is 1 long, so the
    // unsupported edge 1-2 (1) stays and 3-4 (7) goes.
    const Partition guide{0, 0, 1, 1, 2, 2};
    const Partition joined{0, 0, 0, 0, 1, 1};
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::NNG), joined);
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::GG), joined);
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::SOIG), joined);
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::RNG_SOIG), joined);
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::MSN, true, TrimmingType::Z_SCORE), joined);
    EXPECT_EQ(guided(two_clumps(), guide, GraphType::MST, false), (Partition{0, 0, 1, 1, 2, 2}));
}

TEST(GuidedClustering, GroupsAreNumberedByLowestObject) {
    // Objects at 0, 10, 1, 11 with guide groups numbered against that order.
    EXPECT_EQ(guided(on_a_line({0, 10, 1, 11}), {1, 0, 1, 0}, GraphType::NNG, false), (Partition{0, 1, 0, 1}));
}

TEST(GuidedClustering, SingletonGuide) {
    const Partition singletons{0, 1, 2, 3, 4, 5};
    // With the long-edge rule or merging it fails (end-to-end cases
    // fails_when_a_guide_supports_no_edge, fails_when_singletons_have_no_diameter).
    EXPECT_EQ(guided(two_clumps(), singletons, GraphType::RNG, false), singletons);
}

TEST(GuidedClustering, TrimmingCutsAnUnusuallyLongEdge) {
    // One guide group over 0, 1, 2, 3, 20: tree edges 1, 1, 1, 17, median 1.
    const RealMatrix d = on_a_line({0, 1, 2, 3, 20});
    EXPECT_EQ(guided(d, {0, 0, 0, 0, 0}, GraphType::MST), (Partition{0, 0, 0, 0, 0}));
    EXPECT_EQ(guided(d, {0, 0, 0, 0, 0}, GraphType::MST, true, TrimmingType::Z_SCORE), (Partition{0, 0, 0, 0, 1}));
}

TEST(GuidedClustering, MergingJoinsCloseComponents) {
    // Guide {0, 1}, {2}, {3, 4} at 0, 1, 2, 5, 6 with no long edges: the
    // components are the guide groups; merging joins {2} to {0, 1}.
    const RealMatrix d = on_a_line({0, 1, 2, 5, 6});
    const Partition guide{0, 0, 1, 2, 2};
    EXPECT_EQ(guided(d, guide, GraphType::MST, false), (Partition{0, 0, 1, 2, 2}));
    EXPECT_EQ(guided(d, guide, GraphType::MST, false, TrimmingType::NONE, MergingType::MAXIMUM),
              (Partition{0, 0, 0, 1, 1}));
    EXPECT_EQ(guided(d, guide, GraphType::MST, false, TrimmingType::NONE, MergingType::MAX_MIN),
              (Partition{0, 0, 0, 1, 1}));
}

TEST(GuidedClustering, RejectsAGuideOfTheWrongLength) {
    EXPECT_THROW(guided(two_clumps(), {0, 0, 0}, GraphType::NNG), phylo::SizeError);
}

}  // namespace
