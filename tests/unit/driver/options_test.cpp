#include <gtest/gtest.h>

#include "driver/options.hpp"
#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"

using tarvix::CommandLine;
using tarvix::RunMode;
using tarvix::scan_options;

namespace {

CommandLine scan(std::vector<std::string> arguments) { return scan_options(std::move(arguments)); }

std::int32_t count_for(std::vector<std::string> arguments) {
    CommandLine line = scan(std::move(arguments));
    tarvix::settle_threshold_range(line.settings);
    const tarvix::Settings& s = line.settings;
    return phylo::threshold_count(s.minimum_threshold, s.maximum_threshold, s.step);
}

}  // namespace

TEST(OptionScan, LeftmostOccurrenceDecides) {
    EXPECT_DOUBLE_EQ(scan({"-i", "0.02", "-i", "0.05", "in.dst"}).settings.minimum_threshold, 0.02);
    const CommandLine c_first = scan({"-c", "a.txt", "-r", "b.txt", "in.dst"});
    EXPECT_EQ(c_first.settings.mode, RunMode::reference_quality);
    EXPECT_EQ(*c_first.settings.reference_file, "a.txt");
    const CommandLine r_first = scan({"-r", "b.txt", "-c", "a.txt", "in.dst"});
    EXPECT_EQ(r_first.settings.mode, RunMode::partition_similarity);
    EXPECT_EQ(*r_first.settings.reference_file, "b.txt");
    EXPECT_EQ(r_first.inputs, std::vector<std::string>{"in.dst"});
}

TEST(OptionScan, SecondMatrixAndOptimisationInterplay) {
    EXPECT_EQ(scan({"-d", "m2.dst", "-o", "ref.txt", "in.dst"}).settings.mode, RunMode::two_matrix_optimisation);
    EXPECT_EQ(scan({"-o", "ref.txt", "-d", "m2.dst", "in.dst"}).settings.mode, RunMode::two_matrix_optimisation);
    // -d sets the two-matrix mode whenever it is processed: scanning right to
    // left, it is processed last here and wins over -c.
    EXPECT_EQ(scan({"-d", "m2.dst", "-c", "ref.txt", "in.dst"}).settings.mode, RunMode::two_matrix_optimisation);
    const CommandLine c_wins = scan({"-c", "ref.txt", "-d", "m2.dst", "in.dst"});
    EXPECT_EQ(c_wins.settings.mode, RunMode::reference_quality);
    EXPECT_EQ(*c_wins.settings.second_file, "m2.dst");
}

TEST(OptionScan, NonOptionsStayInPlaceAsInputs) {
    const CommandLine line = scan({"-X", "-v", "--", "-A", "in.dst", "-"});
    EXPECT_EQ(line.inputs, (std::vector<std::string>{"-X", "--", "-A", "in.dst", "-"}));
    EXPECT_TRUE(line.settings.verbose);
}

TEST(OptionScan, FlagsAndIntegerSettings) {
    const CommandLine line = scan({"-t", "-q", "-y", "-b", "6", "-z", "1", "-u", "0", "-m", "1", "-w", "-5", "x"});
    EXPECT_EQ(line.settings.format, phylo::io::read::DistInputFormat::TAB_SEPARATED);
    EXPECT_TRUE(line.settings.row_sum_preordering);
    EXPECT_TRUE(line.settings.shortest_paths);
    EXPECT_EQ(line.settings.graph_kind, phylo::graph::GraphType::MSN);
    EXPECT_EQ(line.settings.trimming, phylo::graph::TrimmingType::Z_SCORE);
    EXPECT_FALSE(line.settings.long_edges);
    EXPECT_EQ(line.settings.merging, phylo::graph::MergingType::MAX_MIN);
    EXPECT_EQ(line.settings.seed, -5);
    EXPECT_FALSE(line.settings.index_variant.has_value());
    EXPECT_DOUBLE_EQ(*scan({"-1", "1.5", "x"}).settings.index_variant, 1.5);  // checked only when used
}

TEST(OptionScan, DefaultDeletionFractionIsOneOverE) {
    EXPECT_EQ(scan({"x"}).settings.deletion_fraction, 0.36787944117144233);
}

TEST(OptionScan, RejectsBadValues) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-n", "0", "x"}, {"-k", "1.5", "x"}, {"-f", "-2", "x"}, {"-s", "-1", "x"}, {"-b", "7", "x"},
             {"-i", "abc", "x"}, {"-n", "99999999999", "x"}, {"-n", "1.0", "x"}, {"-a", "1e999", "x"},
             {"-a", "0.1x", "x"}, {"-f", "-1", "x"}, {"x", "-a"}, {"-a", "nan", "x"}, {"-i", "inf", "x"}}) {
        EXPECT_THROW(scan(arguments), phylo::OptionError) << arguments[0] << " " << arguments[1];
    }
    // Blanks around a number are accepted, as is every form of the reader's syntax.
    EXPECT_DOUBLE_EQ(scan({"-a", " .5e1 ", "x"}).settings.maximum_threshold, 5.0);
    EXPECT_EQ(scan({"-n", "+7", "x"}).settings.replicates, 7);
}

TEST(OptionScan, AnIntegerValueNeedsADigitNotJustASignOrNothing) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"-w", "-", "x"}, {"-z", "+", "x"}, {"-b", "", "x"}, {"-n", " ", "x"}, {"-m", "+ 1", "x"}}) {
        try {
            scan(arguments);
            ADD_FAILURE() << arguments[0] << " '" << arguments[1] << "' was accepted";
        } catch (const phylo::OptionError& e) {
            EXPECT_EQ(std::string(e.what()), arguments[0] + " " + arguments[1] + ": not a 32-bit integer");
        }
    }
}

TEST(ThresholdCount, RoundsHalfAwayFromZeroAndFollowsTheMode) {
    EXPECT_EQ(count_for({"-o", "r", "-i", "0", "-a", "0.1", "-s", "0.03", "x"}), 3);
    EXPECT_EQ(count_for({"-o", "r", "-i", "0", "-a", "0.1", "-s", "0.04", "x"}), 3);  // q = 2.5
    EXPECT_EQ(count_for({"-o", "r", "-i", "0.1", "-a", "0.05", "x"}), 0);  // the maximum is raised
    EXPECT_EQ(count_for({"-a", "0.5", "-i", "0.1", "x"}), 0);               // the default run ignores -a
    EXPECT_EQ(count_for({"-o", "r", "x"}), 0);
    EXPECT_THROW(count_for({"-s", "0", "-l", "x"}), phylo::RangeError);
    EXPECT_THROW(count_for({"-s", "0", "x"}), phylo::RangeError);
    EXPECT_THROW(count_for({"-o", "r", "-a", "3e9", "-s", "1", "x"}), phylo::RangeError);
    EXPECT_EQ(count_for({"-o", "r", "-a", "2147483647", "-s", "1", "x"}), 2147483647);
}

TEST(Usage, NamesTheCommandAsInvoked) {
    const std::string text = tarvix::usage_text("./bin/tarvix");
    EXPECT_EQ(text.rfind("\n./bin/tarvix optimizes linkage clustering\n\nVersion: 1.5\n\nUsage: ./bin/tarvix [options]", 0), 0u);
    EXPECT_NE(text.find("  -x  Distances are in extended PHYLIP format (default).\n\n"), std::string::npos);
}
