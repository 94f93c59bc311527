// The relative neighbourhood graph (strict witnesses, both triangles read,
// the TRUE/FALSE lines) and shortest paths along a graph, against a literal
// Floyd-Warshall bit for bit.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "literal/shortest_paths.hpp"
#include "phylo/graph/shortest_paths.hpp"
#include "random_matrices.hpp"
#include "test_support.hpp"

namespace {

using phylo::BooleMatrix;
using phylo::RealMatrix;
using namespace tarvix_test;

constexpr double largest = std::numeric_limits<double>::max();

void expect_same_bits(const RealMatrix& expected, const RealMatrix& actual, const std::string& what) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (std::size_t k = 0; k < expected.size(); ++k)
            ASSERT_TRUE(same_bits(expected(i, k), actual(i, k)))
                << what << " at " << i << "," << k << ": " << expected(i, k) << " vs " << actual(i, k);
}

TEST(BuildRng, JoinsOnlyNeighboursOnALine) {
    EXPECT_EQ(edges_of(phylo::graph::build_rng(on_a_line({0, 1, 2, 3}))), (Edges{{0, 1}, {1, 2}, {2, 3}}));
}

TEST(BuildRng, AWitnessMustBeStrictlyCloserToBoth) {
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 1, 1}, {1, 0, 1}, {1, 1, 0}}))),
              (Edges{{0, 1}, {0, 2}, {1, 2}}));
    // 2 is at exactly d(0,1) from 0: no witness for (0,1).
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 2, 2}, {2, 0, 1}, {2, 1, 0}}))),
              (Edges{{0, 1}, {0, 2}, {1, 2}}));
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 2, 1.5}, {2, 0, 1}, {1.5, 1, 0}}))),
              (Edges{{0, 2}, {1, 2}}));
}

TEST(BuildRng, ReadsTheWitnessDistancesFromBothRows) {
    // For the pair (1,2) the witness 0 is read as d(1,0) = 1 and d(2,0) = 1,
    // below the triangle; above it d(0,1) = d(0,2) = 5 would not witness.
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 5, 5}, {1, 0, 3}, {1, 3, 0}}))), (Edges{{0, 1}, {0, 2}}));
}

TEST(BuildRng, StopsOnUpperDistancesOutsideTheRange) {
    // A negative distance: the end-to-end case fails_on_a_negative_distance_in_a_graph.
    EXPECT_THROW(phylo::graph::build_rng(matrix({{0, NAN}, {1, 0}})), phylo::RangeError);
    // Below the triangle anything goes.
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 1}, {-1, 0}}))), (Edges{{0, 1}}));
}

TEST(ShortestPaths, AlongALineNothingChanges) {
    RealMatrix d = on_a_line({0, 1, 2, 3});
    const RealMatrix before = d;
    phylo::graph::to_shortest_paths(d);
    expect_same_bits(before, d, "line");
}

TEST(ShortestPaths, RefusesAGraphOfAnotherSize) {
    RealMatrix d(3, 0.0);
    EXPECT_TRUE(failure_of<phylo::SizeError>([&] {
                    phylo::graph::to_shortest_paths(BooleMatrix(2, true), d);
                }).starts_with("PHYLO.REAL_CHARS.BASIC.SIZE_ERROR: "));
}

TEST(ShortestPaths, AgreesWithTheLiteralFloydWarshallBitForBit) {
    // Asymmetric values of many magnitudes, some huge, so that sums round and
    // overflow; an infinite or a not-a-number entry in some rounds, where the
    // order of the operands of min shows; graphs from sparse to full.
    std::mt19937 random(9);
    for (int round = 0; round < 30; ++round) {
        const std::size_t n = 1 + random() % 45;
        MatrixKind kind =
            round % 5 == 4 ? MatrixKind::tie_free().scaled(largest) : MatrixKind::tie_free().spread_over(20);
        if (round % 3 == 0)
            kind = kind.planting(std::numeric_limits<double>::infinity(), MatrixKind::Place::above_diagonal);
        if (round % 3 == 1) kind = kind.with_nan(MatrixKind::Place::above_diagonal);
        RealMatrix d = random_matrix(random, n, kind.independent_lower());
        const BooleMatrix g = random_graph(random, n, round / 30.0);
        RealMatrix expected = d;
        literal_shortest_paths(g, expected);
        phylo::graph::to_shortest_paths(g, d);
        expect_same_bits(expected, d, "round " + std::to_string(round));
    }
}

}  // namespace
