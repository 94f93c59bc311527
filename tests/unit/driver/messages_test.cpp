// The driver's detail lines and warnings: what a user who made a common
// mistake reads, and silence on good input.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/diagnosis.hpp"
#include "driver/options.hpp"
#include "driver/run.hpp"
#include "driver/warnings.hpp"
#include "phylo/errors.hpp"
#include "phylo/number_images.hpp"

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

TEST(ReferenceMismatch, ADuplicateNamesBothOfItsLines) {
    // A header line and a typo are end-to-end cases.
    EXPECT_TRUE(has(tarvix::reference_mismatch({"A", "B", "C"}, table({"A", "B", "A"}, {"x", "x", "y"}), {1, 2, 7},
                                               "the matrix"),
                    "listed twice: line 7 \"A\" (also line 1); labels of the matrix missing here: \"C\""));
}

TEST(ReferenceMismatch, TheNameTableOfTheTwoMatrixRun) {
    const phylo::Labels matrix = {"A", "B", "C"};
    const phylo::Labels second = {"a", "b", "c"};
    // The first column against the matrix, as for a partition file.
    EXPECT_TRUE(has(tarvix::name_table_mismatch(matrix, table({"A", "B", "D"}, {"a", "b", "c"}), {1, 2, 3}, second),
                    "not labels of the matrix: line 3 \"D\"; labels of the matrix missing here: \"C\""));
    // The second column against the second matrix.
    EXPECT_EQ(tarvix::name_table_mismatch(matrix, table({"A", "B", "C"}, {"a", "x", "c"}), {1, 2, 4}, second),
              "not labels of the second matrix (-d): line 2 \"x\"; the second column names each object as the "
              "second matrix labels it");
    EXPECT_EQ(tarvix::name_table_mismatch(matrix, table({"C", "A", "B"}, {"c", "a", "b"}), {1, 2, 3}, second), "");
}

TEST(ReferenceMismatch, ListsAtMostTenLabels) {
    phylo::Labels matrix;
    for (int i = 0; i < 15; ++i) matrix.push_back(std::string("M").append(phylo::decimal(i)));
    const std::string text = tarvix::reference_mismatch(matrix, table({"Z"}, {"x"}), {1}, "the matrix");
    EXPECT_TRUE(has(text, "\"M9\" and 5 more;")) << text;
    EXPECT_FALSE(has(text, "M10")) << text;
}

TEST(ReferenceMismatch, WhyAFileHasNoPartitionColumn) {
    EXPECT_TRUE(has(tarvix::one_column_reference({{"3", "A_0_0.1", "B_0.1_0"}}, {1, 2, 3}),
                    "line 1 holds only \"3\": this looks like a distance matrix"));
}

TEST(OptionDetails, SayWhatToWrite) {
    const auto detail_of = [](std::vector<std::string> arguments) -> std::pair<std::string, std::string> {
        try {
            tarvix::scan_options(std::move(arguments));
        } catch (const phylo::OptionError& e) {
            return {e.subject(), e.detail()};
        }
        return {};
    };
    EXPECT_EQ(detail_of({"-a", "0,3", "m.dst"}).second,
              "write numbers with a decimal point (0.3); give the maximum threshold, a distance of 0 or more such as "
              "0.3");
    EXPECT_EQ(detail_of({"m.dst", "-c"}),
              std::make_pair(std::string("-c"), std::string("nothing follows it: name the partition file after -c")));
}

TEST(NegativeDistance, TheGraphsRangeCheckNamesTheFirstPair) {
    phylo::RangeError failure("distance outside 0 .. largest double: -1");
    tarvix::name_distance_out_of_range(failure, square({"A", "B", "C"}, {{0, 1, 2}, {1, 0, -1}, {2, -1, 0}}));
    EXPECT_TRUE(has(failure.detail(), "the distance between \"B\" (row 2) and \"C\" (row 3) is -1;"))
        << failure.detail();
    // Other failures keep no such detail.
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

TEST(RunWarnings, SingleThresholdFlatReferencesAndTheEndOfTheSeries) {
    EXPECT_FALSE(tarvix::single_threshold_warning(tarvix::Settings{}, 30));
    const auto flat = tarvix::reference_warning(table({"A", "B", "C"}, {"g", "g", "g"}), "/d/ref.txt");
    ASSERT_TRUE(flat);
    EXPECT_TRUE(has(*flat, "/d/ref.txt: partition 1 (column 2) puts every object in one group")) << *flat;
    const auto singletons = tarvix::reference_warning({{"A", "B"}, {"x", "y"}, {"x", "x"}}, "/d/ref.txt");
    ASSERT_TRUE(singletons);
    EXPECT_TRUE(has(*singletons, "partition 1 (column 2) holds only singletons, partition 2 (column 3) puts every "
                                 "object in one group"))
        << *singletons;
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
