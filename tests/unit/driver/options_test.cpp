#include <gtest/gtest.h>

#include "driver/options.hpp"
#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"
#include "test_support.hpp"

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
        EXPECT_EQ(tarvix_test::failure_of<phylo::OptionError>([&] { scan(arguments); }),
                  "option error: " + arguments[0] + " " + arguments[1] + ": not a 32-bit integer");
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

namespace {

// The help's line for an option: the line that begins with two blanks and
// the option, as the option table and the run-mode table write them.
std::string help_line(const std::string& help, const std::string& option) {
    const std::string start = "\n  " + option + " ";
    const std::size_t at = help.find(start);
    if (at == std::string::npos) return "";
    return help.substr(at + 1, help.find('\n', at + 1) - at - 1);
}

// The fields of an option-table line that are separated by two blanks or more.
std::vector<std::string> columns(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        std::size_t end = line.find("  ", i);
        if (end == std::string::npos) end = line.size();
        if (end > i) fields.push_back(line.substr(i, end - i));
        i = end;
    }
    return fields;
}

bool accepted(const std::string& option, const std::string& value) {
    try {
        scan({option, value, "in.dst"});
        return true;
    } catch (const phylo::OptionError&) {
        return false;
    }
}

}  // namespace

TEST(Help, FitsATerminal) {
    const std::string help = tarvix::help_text("tarvix");
    std::size_t lines = 0;
    for (std::size_t start = 0; start < help.size(); ++lines) {
        const std::size_t end = help.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "the help ends without a line end";
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
    EXPECT_LE(lines, 70u);
}

// The defaults the help shows are those a command line without the option
// gets: a changed default must change the help too.
TEST(Help, ShowsTheDefaultsTheScanGives) {
    const std::string help = tarvix::help_text("tarvix");
    const tarvix::Settings s = scan({"in.dst"}).settings;
    const auto shown = [&](const std::string& option) {
        const std::vector<std::string> fields = columns(help_line(help, option));
        return fields.size() >= 3 ? fields[2] : std::string("(missing)");
    };
    // Each option's shown default beside the scan's value for it.
    const struct {
        const char* row;
        const char* shown;
        bool scanned;
    } defaults[] = {
        {"-i REAL", "0", s.minimum_threshold == 0.0},
        {"-a REAL", "0", s.maximum_threshold == 0.0},
        {"-s REAL", "0.01", s.step == 0.01},
        {"-f REAL", "0", s.fraction == 0.0},
        {"-k REAL", "1/e=0.368", s.deletion_fraction == 0.36787944117144233},
        {"-n INT", "100", s.replicates == 100},
        {"-w INT", "12051973", s.seed == 12051973},
        {"-b INT", "2", s.graph_kind == phylo::graph::GraphType::RNG},
        {"-z INT", "0", s.trimming == phylo::graph::TrimmingType::NONE},
        {"-u INT", "1", s.long_edges},
        {"-m INT", "2", s.merging == phylo::graph::MergingType::NONE},
        {"-1 REAL", "unset", !s.index_variant.has_value()},
        {"-x", "on", s.format == phylo::io::read::DistInputFormat::EXTENDED_PHYLIP},
    };
    for (const auto& d : defaults) {
        EXPECT_EQ(shown(d.row), d.shown) << d.row;
        EXPECT_TRUE(d.scanned) << d.row;
    }
    for (const char* flag : {"-q", "-y", "-p", "-t", "-v"}) EXPECT_EQ(shown(flag), "off") << flag;
    EXPECT_FALSE(s.row_sum_preordering || s.shortest_paths || s.verbose);
}

// Each range "a .. b" of the help holds at both ends and fails just outside.
// A value -1 would reach the scan as the option -1, so -1 is written -1.0
// and the integers' value below the range is -2.
TEST(Help, RangesAreThoseTheScanChecks) {
    const std::string help = tarvix::help_text("tarvix");
    const struct {
        const char* option;
        const char* row;
        const char* shown;
        const char* inside_low;
        const char* inside_high;
        const char* below;
        const char* above;
    } ranges[] = {
        {"-f", "-f REAL", "-1 .. 1", "-1.0", "1", "-1.001", "1.001"},
        {"-k", "-k REAL", "0 .. 1", "0", "1", "-0.001", "1.001"},
        {"-b", "-b INT", "0 .. 6", "0", "6", "-2", "7"},
        {"-z", "-z INT", "0 .. 1", "0", "1", "-2", "2"},
        {"-u", "-u INT", "0 .. 1", "0", "1", "-2", "2"},
        {"-m", "-m INT", "0 .. 2", "0", "2", "-2", "3"},
    };
    for (const auto& r : ranges) {
        const std::vector<std::string> fields = columns(help_line(help, r.row));
        ASSERT_EQ(fields.size(), 4u) << r.row;
        EXPECT_EQ(fields[3], r.shown) << r.row;
        EXPECT_TRUE(accepted(r.option, r.inside_low)) << r.option;
        EXPECT_TRUE(accepted(r.option, r.inside_high)) << r.option;
        EXPECT_FALSE(accepted(r.option, r.below)) << r.option;
        EXPECT_FALSE(accepted(r.option, r.above)) << r.option;
    }
    EXPECT_EQ(columns(help_line(help, "-n INT")).back(), "1 or more");
    EXPECT_FALSE(accepted("-n", "0"));
    EXPECT_TRUE(accepted("-n", "1"));
}
