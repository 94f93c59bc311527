// The driver's detail lines and warnings: what a user who made a common
// mistake reads, and silence on good input.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/diagnosis.hpp"
#include "driver/run.hpp"
#include "driver/warnings.hpp"
#include "phylo/errors.hpp"

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

phylo::Squared square(phylo::Labels labels, const std::vector<std::vector<double>>& rows) {
    phylo::Squared m;
    m.labels = std::move(labels);
    m.matrix = phylo::RealMatrix(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t k = 0; k < rows.size(); ++k) m.matrix(i, k) = rows[i][k];
    return m;
}

// The group-name table as the transposed reader gives it: row 0 the labels.
phylo::GroupNameTable table(const phylo::Labels& labels, const phylo::Labels& groups) { return {labels, groups}; }

// Duplicates, unknown and missing labels (at most ten listed), names tables,
// files without a partition column and option details are end-to-end cases.

TEST(NegativeDistance, OnlyTheGraphsRangeCheckNamesAPair) {
    // The pair a graph refuses is named in an end-to-end case.
    phylo::RangeError other("graph kind outside 0 .. 6");
    tarvix::name_distance_out_of_range(other, square({"A", "B"}, {{0, -1}, {-1, 0}}));
    EXPECT_EQ(other.detail(), "");
}

TEST(MatrixWarnings, SilentOnASymmetricDistanceMatrix) {
    EXPECT_TRUE(tarvix::matrix_warnings(square({"A", "B", "C"}, {{0, 0.1, 0.2}, {0.1, 0, 0.3}, {0.2, 0.3, 0}}),
                                        "/d/m.dst", true)
                    .empty());
    // Larger than one block of the symmetry scan, still symmetric.
    const std::size_t n = 150;
    phylo::Squared big;
    big.labels.resize(n, "x");
    big.matrix = phylo::RealMatrix(n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) big.matrix(i, k) = i == k ? 0.0 : 1.0 / static_cast<double>(i + k + 1);
    EXPECT_TRUE(tarvix::matrix_warnings(big, "/d/m.dst", true).empty());
    big.matrix(140, 3) = 7.0;  // one pair across blocks
    const auto one = tarvix::matrix_warnings(big, "/d/m.dst", true);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(has(one[0], "1 of 11175 pairs differ")) << one[0];
}

// A single threshold, flat references and the end of an index series are
// end-to-end cases; here the criterion's end and silence.
TEST(RunWarnings, TheCriterionsEndAndNoWarningWhereNothingIsAmiss) {
    EXPECT_FALSE(tarvix::single_threshold_warning(tarvix::Settings{}, 30));
    EXPECT_FALSE(tarvix::reference_warning(table({"A", "B", "C"}, {"x", "x", "y"}), "/d/ref.txt"));
    EXPECT_EQ(*tarvix::series_end_warning({0}, 0.3),
              "the criterion is best at the last threshold, 0.3; the best may lie beyond it: extend -a");
    EXPECT_FALSE(tarvix::series_end_warning({}, 0.3));
}

TEST(RunWarnings, TheExamplesPrintNone) {
    phylo::io::Output out;
    std::ostringstream err;
    EXPECT_EQ(tarvix::run("tarvix",
                          {"-o", TARVIX_EXAMPLES "/taxa30_ref.txt", "-a", "0.3", "-s", "0.01",
                           TARVIX_EXAMPLES "/taxa30.dst"},
                          out, err),
              0);
    EXPECT_EQ(err.str(), "");
    std::ostringstream criterion;
    EXPECT_EQ(tarvix::run("tarvix", {"-h", "-a", "0.3", "-s", "0.01", TARVIX_EXAMPLES "/taxa30.dst"}, out, criterion),
              0);
    EXPECT_EQ(criterion.str(), "");
}

}  // namespace
