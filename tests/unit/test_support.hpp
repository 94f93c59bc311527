// What the unit tests share: small matrices and graphs written inline, the
// edges of a graph, sets of partitions, two series compared, the failure a call throws, exact bit
// comparison, and the literal pair list (literal/pair_list.hpp).
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "literal/pair_list.hpp"
#include "phylo/errors.hpp"
#include "phylo/graph/builders.hpp"
#include "phylo/io/print.hpp"
#include "phylo/types.hpp"

namespace tarvix_test {

// The relative neighbourhood graphs an engine reports, written as the
// command line writes them.
struct WrittenGraphs {
    phylo::io::Output out;
    phylo::graph::GraphObserver observer() {
        return [this](const phylo::BooleMatrix& graph) { phylo::io::print::put(out, graph); };
    }
};

inline phylo::RealMatrix matrix(const std::vector<std::vector<double>>& rows) {
    phylo::RealMatrix m(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t k = 0; k < rows.size(); ++k) m(i, k) = rows[i][k];
    return m;
}

// A symmetric matrix with zero diagonal from the upper-triangle distances in
// row order (0,1), (0,2), ..., (1,2), ...
inline phylo::RealMatrix from_upper(std::size_t n, const std::vector<double>& upper) {
    phylo::RealMatrix m(n, 0.0);
    std::size_t p = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) m(i, j) = m(j, i) = upper[p++];
    return m;
}

// Objects at the given positions on a line, d = |x - y|.
inline phylo::RealMatrix on_a_line(const std::vector<double>& x) {
    phylo::RealMatrix m(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t k = 0; k < x.size(); ++k) m(i, k) = std::fabs(x[i] - x[k]);
    return m;
}

// Objects in two clumps: A, B close; C, D, E close.
inline phylo::RealMatrix five_objects() {
    return matrix({{0, 0.02, 0.5, 0.6, 0.55},
                   {0.02, 0, 0.52, 0.61, 0.58},
                   {0.5, 0.52, 0, 0.04, 0.07},
                   {0.6, 0.61, 0.04, 0, 0.05},
                   {0.55, 0.58, 0.07, 0.05, 0}});
}

using Edges = std::vector<std::pair<int, int>>;

// A symmetric graph with the given edges and diagonal (true for threshold
// graphs, whose objects are linked to themselves).
inline phylo::BooleMatrix graph_with(std::size_t n, const Edges& edges, bool diagonal = false) {
    phylo::BooleMatrix g(n, false);
    for (std::size_t i = 0; i < n; ++i) g.set(i, i, diagonal);
    for (auto [i, j] : edges) {
        g.set(static_cast<std::size_t>(i), static_cast<std::size_t>(j), true);
        g.set(static_cast<std::size_t>(j), static_cast<std::size_t>(i), true);
    }
    return g;
}

// The edges i < j of a graph, after checking that it is symmetric with a
// false diagonal.
inline Edges edges_of(const phylo::BooleMatrix& g) {
    Edges edges;
    for (std::size_t i = 0; i < g.size(); ++i) {
        EXPECT_FALSE(g(i, i)) << "diagonal " << i;
        for (std::size_t j = i + 1; j < g.size(); ++j) {
            EXPECT_EQ(g(i, j), g(j, i)) << i << "-" << j;
            if (g(i, j)) edges.emplace_back(static_cast<int>(i), static_cast<int>(j));
        }
    }
    return edges;
}

inline phylo::PartitionSet make_set(std::initializer_list<phylo::Partition> partitions) {
    phylo::PartitionSet set;
    for (const phylo::Partition& p : partitions) set.push_back(std::make_shared<const phylo::Partition>(p));
    return set;
}

// Same partitions at every threshold and the same runs of shared objects.
inline void expect_same_series(const phylo::PartitionSet& expected, const phylo::PartitionSet& actual, const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        ASSERT_TRUE(actual[k]) << what << " k=" << k;
        EXPECT_EQ(*expected[k], *actual[k]) << what << " k=" << k;
        if (k > 0) {
            EXPECT_EQ(expected[k] == expected[k - 1], actual[k] == actual[k - 1]) << what << " k=" << k;
        }
    }
}

// The failure a call throws as "heading: message", or "no failure"; a failure
// of another class than the expected one escapes and fails the test.
template <class Failure = phylo::Error, class Call>
std::string failure_of(Call call) {
    try {
        call();
    } catch (const Failure& e) {
        return e.heading() + ": " + e.what();
    }
    return "no failure";
}

inline bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace tarvix_test
