#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "plot_command.hpp"

namespace fs = std::filesystem;

namespace {

const std::string table =
    "Threshold \tNo._Clusters\tCal._Har._0\n"
    "0.00000000\t 5.00000000\t-1.00000000\n"
    "0.05000000\t 2.00000000\t603.63829787\n"
    "\n";

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result plot(const std::vector<std::string>& arguments, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = tarvix::plot::run_plot(arguments, in, out, err);
    return {status, out.str(), err.str()};
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of its own for each test that writes files.
class PlotFiles : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tarvix-plot-test-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

const std::string usage_line = "Usage: tarvix-plot [-o PREFIX] [-t TITLE] [FILE]\n";

}  // namespace

TEST(PlotCommand, OneTableFromStandardInputToStandardOutput) {
    const Result r = plot({}, table);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(r.out.find("<title>Matrix 1</title>"), std::string::npos);
    EXPECT_NE(plot({"-", "-t", "Taxa & genera"}, table).out.find("<title>Taxa &amp; genera</title>"), std::string::npos);
}

TEST(PlotCommand, VersionFromTheProjectAndHelp) {
    EXPECT_EQ(plot({"--version"}).out, "tarvix-plot " TARVIX_VERSION "\n");
    const Result help = plot({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind(usage_line, 0), 0u);
    EXPECT_EQ(plot({"-h"}).out, help.out);
}

TEST(PlotCommand, BadInputEndsWithOneMessageAndStatusOne) {
    const Result r = plot({}, "Shared_I._0\t 1.00000000\t 0.07500000\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("tarvix-plot: standard input: line 1: expected the header of a verbose tarvix table", 0), 0u);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

TEST(PlotCommand, CommandLinesThatCannotBeFollowed) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-x"}, "tarvix-plot: unknown option -x\n" + usage_line},
        {{"-o"}, "tarvix-plot: the option -o needs an argument\n" + usage_line},
        {{"-o", ""}, "tarvix-plot: the output prefix of -o is empty\n" + usage_line},
        {{"a.txt", "b.txt"}, "tarvix-plot: one input at a time: a.txt and b.txt\n" + usage_line},
        {{"/nonexistent/in.txt"}, "tarvix-plot: cannot open /nonexistent/in.txt\n"},
        {{"/"}, "tarvix-plot: cannot open /: it is a folder\n"},
        {{}, "tarvix-plot: the input holds 2 tables; name an output prefix with -o to write one picture per "
             "table\n" + usage_line},
    };
    for (const auto& [arguments, message] : cases) {
        const Result r = plot(arguments, table + table);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(PlotFiles, PrefixWritesOnePicturePerTableNamedAfterTheInput) {
    const fs::path input = folder_ / "taxa.out";
    std::ofstream(input) << table << table;
    const Result r = plot({input.string(), "-o", (folder_ / "taxa").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(read_file(folder_ / "taxa-1.svg").find("<title>taxa.out, matrix 1</title>"), std::string::npos);
    EXPECT_NE(read_file(folder_ / "taxa-2.svg").find("<title>taxa.out, matrix 2</title>"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder_ / "taxa-3.svg"));

    EXPECT_EQ(plot({"-o", (folder_ / "one").string(), "-t", "T"}, table + table).status, 0);
    EXPECT_NE(read_file(folder_ / "one-2.svg").find("<title>T, matrix 2</title>"), std::string::npos);
}

TEST_F(PlotFiles, NothingIsWrittenForBadInputAndUnwritableFilesAreNamed) {
    const Result bad = plot({"-o", (folder_ / "p").string()}, table + "Threshold \tNo._Clusters\tX_0\n0.1\tx\t1\n");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(fs::is_empty(folder_));
    const fs::path missing = folder_ / "no-such-folder" / "p";
    const Result unwritable = plot({"-o", missing.string()}, table);
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "tarvix-plot: cannot write " + missing.string() + "-1.svg\n");
}
