// The relative neighbourhood graph (strict witnesses, both triangles read,
// the TRUE/FALSE lines) and shortest paths along a graph, against a literal
// Floyd-Warshall bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/io/output.hpp"
#include "phylo/graph/shortest_paths.hpp"
#include "test_support.hpp"

namespace {

using phylo::BooleMatrix;
using phylo::RealMatrix;

constexpr double largest = std::numeric_limits<double>::max();

using tarvix_test::matrix;

RealMatrix on_a_line(const std::vector<double>& x) {
    RealMatrix m(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t k = 0; k < x.size(); ++k) m(i, k) = std::fabs(x[i] - x[k]);
    return m;
}

std::string edges_of(const BooleMatrix& g) {
    std::string text;
    for (std::size_t i = 0; i < g.size(); ++i)
        for (std::size_t k = i + 1; k < g.size(); ++k)
            if (g(i, k)) text += std::to_string(i) + "-" + std::to_string(k) + " ";
    return text;
}

void literal_shortest_paths(const BooleMatrix& g, RealMatrix& d) {
    const std::size_t n = d.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        d(i, i) = 0.0;
        for (std::size_t j = i + 1; j < n; ++j)
            if (!g(i, j)) d(i, j) = d(j, i) = largest;
    }
    d(n - 1, n - 1) = 0.0;
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const double d_ik = d(i, k);
            for (std::size_t j = i + 1; j < n; ++j) d(i, j) = d(j, i) = std::min(d(i, j), d_ik + d(j, k));
        }
}

void expect_same_bits(const RealMatrix& expected, const RealMatrix& actual, const std::string& what) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        for (std::size_t k = 0; k < expected.size(); ++k)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(expected(i, k)), std::bit_cast<std::uint64_t>(actual(i, k)))
                << what << " at " << i << "," << k << ": " << expected(i, k) << " vs " << actual(i, k);
}

TEST(BuildRng, JoinsOnlyNeighboursOnALineAndIsWrittenRowByRow) {
    const BooleMatrix g = phylo::graph::build_rng(on_a_line({0, 1, 2, 3}));
    EXPECT_EQ(edges_of(g), "0-1 1-2 2-3 ");
    phylo::io::Output out;
    phylo::io::print::put(out, g);
    EXPECT_EQ(out.captured(),
              "\tFALSE\tTRUE\tFALSE\tFALSE\n"
              "\tTRUE\tFALSE\tTRUE\tFALSE\n"
              "\tFALSE\tTRUE\tFALSE\tTRUE\n"
              "\tFALSE\tFALSE\tTRUE\tFALSE\n");
}

TEST(BuildRng, AWitnessMustBeStrictlyCloserToBoth) {
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 1, 1}, {1, 0, 1}, {1, 1, 0}}))), "0-1 0-2 1-2 ");
    // 2 is at exactly d(0,1) from 0: no witness for (0,1).
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 2, 2}, {2, 0, 1}, {2, 1, 0}}))), "0-1 0-2 1-2 ");
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 2, 1.5}, {2, 0, 1}, {1.5, 1, 0}}))), "0-2 1-2 ");
}

TEST(BuildRng, ReadsTheWitnessDistancesFromBothRows) {
    // For the pair (1,2) the witness 0 is read as d(1,0) = 1 and d(2,0) = 1,
    // below the triangle; above it d(0,1) = d(0,2) = 5 would not witness.
    const RealMatrix d = matrix({{0, 5, 5}, {1, 0, 3}, {1, 3, 0}});
    EXPECT_EQ(edges_of(phylo::graph::build_rng(d)), "0-1 0-2 ");
}

TEST(BuildRng, StopsOnUpperDistancesOutsideTheRange) {
    try {
        phylo::graph::build_rng(matrix({{0, 1, -1}, {1, 0, 1}, {1, 1, 0}}));
        ADD_FAILURE() << "no failure";
    } catch (const phylo::RangeError& e) {
        EXPECT_EQ(std::string(e.what()), "distance outside 0 .. largest double: -1");
    }
    EXPECT_THROW(phylo::graph::build_rng(matrix({{0, NAN}, {1, 0}})), phylo::RangeError);
    // Below the triangle anything goes.
    EXPECT_EQ(edges_of(phylo::graph::build_rng(matrix({{0, 1}, {-1, 0}}))), "0-1 ");
}

TEST(ShortestPaths, AlongALineNothingChanges) {
    tarvix_test::WrittenGraphs out;
    RealMatrix d = on_a_line({0, 1, 2, 3});
    const RealMatrix before = d;
    phylo::graph::to_shortest_paths(d, out.observer());
    expect_same_bits(before, d, "line");
    // The graph is reported before the distances change.
    EXPECT_EQ(out.out.captured().substr(0, 24), "\tFALSE\tTRUE\tFALSE\tFALSE\n");
}

TEST(ShortestPaths, SumsEdgesAndMarksMissingPathsWithTheLargestDouble) {
    // Path 0 - 1 - 2 with edges 1.5 and 2.25; object 3 is unreachable.
    RealMatrix d = matrix({{0, 1.5, 9, 9}, {1.5, 0, 2.25, 9}, {9, 2.25, 0, 9}, {9, 9, 9, 7}});
    BooleMatrix g(4, false);
    g.set(0, 1, true);
    g.set(1, 0, true);
    g.set(1, 2, true);
    g.set(2, 1, true);
    phylo::graph::to_shortest_paths(g, d);
    EXPECT_EQ(d(0, 2), 3.75);
    EXPECT_EQ(d(2, 0), 3.75);
    EXPECT_EQ(d(0, 3), largest);
    EXPECT_EQ(d(3, 2), largest);
    EXPECT_EQ(d(3, 3), 0.0);
}

TEST(ShortestPaths, AnEdgeKeepsItsSmallerValueOfBothTriangles) {
    RealMatrix d = matrix({{0, 4}, {3, 0}});
    BooleMatrix g(2, true);
    phylo::graph::to_shortest_paths(g, d);
    EXPECT_EQ(d(0, 1), 3.0);
    EXPECT_EQ(d(1, 0), 3.0);
}

TEST(ShortestPaths, RefusesAGraphOfAnotherSize) {
    RealMatrix d(3, 0.0);
    try {
        phylo::graph::to_shortest_paths(BooleMatrix(2, true), d);
        ADD_FAILURE() << "no failure";
    } catch (const phylo::SizeError& e) {
        EXPECT_EQ(e.heading(), "PHYLO.REAL_CHARS.BASIC.SIZE_ERROR");
    }
}

TEST(ShortestPaths, AgreesWithTheLiteralFloydWarshallBitForBit) {
    std::mt19937 random(9);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int round = 0; round < 30; ++round) {
        const std::size_t n = 1 + random() % 45;
        RealMatrix d(n);
        BooleMatrix g(n, false);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < n; ++k) {
                // Asymmetric values of many magnitudes, some huge, so that
                // sums round and overflow; graphs from sparse to full.
                const double u = uniform(random);
                d(i, k) = round % 5 == 4 ? largest * u : std::ldexp(u, static_cast<int>(random() % 40) - 20);
                const bool edge = uniform(random) < round / 30.0;
                if (i < k) {
                    g.set(i, k, edge);
                    g.set(k, i, edge);
                }
            }
        if (n > 3 && round % 3 == 0) d(1, 3) = std::numeric_limits<double>::infinity();
        RealMatrix expected = d;
        literal_shortest_paths(g, expected);
        phylo::graph::to_shortest_paths(g, d);
        expect_same_bits(expected, d, "round " + std::to_string(round));
    }
}

}  // namespace
