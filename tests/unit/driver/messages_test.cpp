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

TEST(DetailLine, FollowsTheDescribedLineWhichStaysUnchanged) {
    phylo::DataError failure("/data/m.dst: not a number");
    failure.set_subject("/data/m.dst");
    failure.set_detail("line 3: \"x\" is not a number");
    phylo::io::Output out;
    std::ostringstream err;
    EXPECT_EQ(tarvix::report_failure(std::make_exception_ptr(failure), out, err), 1);
    EXPECT_EQ(err.str(), "Wrong file format.\ntarvix: /data/m.dst: line 3: \"x\" is not a number\n");

    // Without a detail, the described line stands alone.
    std::ostringstream alone;
    tarvix::report_failure(std::make_exception_ptr(phylo::RangeError("object count 0")), out, alone);
    EXPECT_EQ(alone.str(), "tarvix: range error: object count 0\n");
}

TEST(ReferenceMismatch, NamesLabelsWithTheirLines) {
    const phylo::Labels matrix = {"A", "B", "C"};
    // A header line ahead of the objects.
    EXPECT_EQ(tarvix::reference_mismatch(matrix, table({"taxon", "A", "B", "C"}, {"genus", "x", "x", "y"}),
                                         {1, 2, 3, 4}, "the matrix"),
              "line 1 (\"taxon\" \"genus\") looks like a header line: a partition file has none; delete it; the "
              "first column must list every label of the matrix exactly once");
    // A typo: one label of the file unknown, one of the matrix missing.
    EXPECT_EQ(tarvix::reference_mismatch(matrix, table({"A", "BB", "C"}, {"x", "x", "y"}), {1, 3, 4}, "the matrix"),
              "not labels of the matrix: line 3 \"BB\"; labels of the matrix missing here: \"B\" (a typo?); the "
              "first column must list every label of the matrix exactly once");
    // A duplicate names both of its lines.
    EXPECT_TRUE(has(tarvix::reference_mismatch(matrix, table({"A", "B", "A"}, {"x", "x", "y"}), {1, 2, 7},
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
    EXPECT_TRUE(has(tarvix::one_column_reference({{"A_x", "B_x"}}, {1, 2}),
                    "no line holds a tab: fields are separated by tabs, and line 1 \"A_x\" seems to use blanks"));
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
    EXPECT_EQ(detail_of({"-k", "1.5", "m.dst"}),
              std::make_pair(std::string("-k 1.5"), std::string("give the fraction of objects to delete, from 0 to 1")));
    EXPECT_EQ(detail_of({"-a", "0,3", "m.dst"}).second,
              "write numbers with a decimal point (0.3); give the maximum threshold, a distance of 0 or more such as "
              "0.3");
    EXPECT_EQ(detail_of({"m.dst", "-c"}),
              std::make_pair(std::string("-c"), std::string("nothing follows it: name the partition file after -c")));
}

TEST(OptionDetails, AStepOfZeroAndAGluedOption) {
    phylo::io::Output out;
    std::ostringstream err;
    EXPECT_EQ(tarvix::run("tarvix", {"-s", "0", "-l", TARVIX_EXAMPLES "/taxa30.dst"}, out, err), 1);
    EXPECT_EQ(err.str(),
              "tarvix: range error: threshold count out of range: nan\n"
              "tarvix: -s 0: gives an endless series; give a step above 0 (the default is 0.01)\n");
    std::ostringstream glued;
    EXPECT_EQ(tarvix::run("tarvix", {"-a0.3", TARVIX_EXAMPLES "/taxa30.dst"}, out, glued), 1);
    EXPECT_EQ(glued.str(),
              "Invalid filename.\ntarvix: -a0.3: unknown option -a0.3 (write -a 0.3: an option and its value are "
              "two words); no file of that name either\n");
}

TEST(NegativeDistance, NamesTheObjectsByLabel) {
    phylo::NegativeDistance failure("negative distance -0.0028 between objects 0 and 2", 0, 2);
    tarvix::name_objects(failure, {"E_coli", "B", "S_enterica"});
    EXPECT_TRUE(has(failure.detail(), "the distance between \"E_coli\" (row 1) and \"S_enterica\" (row 3) is "
                                      "negative"))
        << failure.detail();
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

TEST(MatrixWarnings, SimilarityAsymmetryAndNegativeDistances) {
    // ANI in percent given as distances: the diagonal holds 100.
    const auto ani = tarvix::matrix_warnings(square({"A", "B"}, {{100, 80}, {80, 100}}), "/d/ani.dst", true);
    ASSERT_EQ(ani.size(), 1u);
    EXPECT_TRUE(has(ani[0], "/d/ani.dst: the diagonal is not zero (2 of 2 rows; row \"A\" holds 100)")) << ani[0];
    EXPECT_TRUE(has(ani[0], "(100 - ANI) / 100")) << ani[0];

    // Two of three pairs differ; the largest gap is 0.5 between B and C.
    const auto asym = tarvix::matrix_warnings(
        square({"A", "B", "C"}, {{0, 0.1, 0.2}, {0.25, 0, 1}, {0.2, 0.5, 0}}), "/d/a.dst", true);
    ASSERT_EQ(asym.size(), 1u);
    EXPECT_TRUE(has(asym[0], "not symmetric: 2 of 3 pairs differ, the most (0.5) between \"B\" and \"C\"")) << asym[0];
    EXPECT_TRUE(has(asym[0], "the clustering series read the upper triangle only")) << asym[0];

    const phylo::Squared negative = square({"A", "B", "C"}, {{0, 0.1, -0.0028}, {0.1, 0, 0.3}, {-0.0028, 0.3, 0}});
    const auto neg = tarvix::matrix_warnings(negative, "/d/n.dst", true);
    ASSERT_EQ(neg.size(), 1u);
    EXPECT_TRUE(has(neg[0], "2 distances are negative, the lowest -0.0028 between \"A\" and \"C\"")) << neg[0];
    // Where the report rejects them itself, no warning.
    EXPECT_TRUE(tarvix::matrix_warnings(negative, "/d/n.dst", false).empty());
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
    tarvix::Settings settings;
    EXPECT_TRUE(has(*tarvix::single_threshold_warning(settings, 0), "the single threshold 0"));
    EXPECT_FALSE(tarvix::single_threshold_warning(settings, 30));

    const auto flat = tarvix::reference_warning(table({"A", "B", "C"}, {"g", "g", "g"}), "/d/ref.txt");
    ASSERT_TRUE(flat);
    EXPECT_TRUE(has(*flat, "/d/ref.txt: partition 1 (column 2) puts every object in one group")) << *flat;
    const auto singletons = tarvix::reference_warning({{"A", "B"}, {"x", "y"}, {"x", "x"}}, "/d/ref.txt");
    ASSERT_TRUE(singletons);
    EXPECT_TRUE(has(*singletons, "partition 1 (column 2) holds only singletons, partition 2 (column 3) puts every "
                                 "object in one group"))
        << *singletons;
    EXPECT_FALSE(tarvix::reference_warning(table({"A", "B", "C"}, {"x", "x", "y"}), "/d/ref.txt"));

    EXPECT_EQ(*tarvix::series_end_warning({2}, 0.3),
              "partition 2: every index is best at the last threshold, 0.3; the best may lie beyond it: extend -a");
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
