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

const std::string usage_line =
    "Usage: tarvix-plot [-o PREFIX] [-t TITLE] [--groups REFFILE] [--log-x]\n"
    "                   [--xmax T] [--ani] [--mark T[:TEXT]]... [FILE]\n";

}  // namespace

TEST(PlotCommand, OneTableFromStandardInputToStandardOutput) {
    const Result r = plot({}, table);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("<?xml", 0), 0u);
    EXPECT_NE(r.out.find("<title>Matrix 1</title>"), std::string::npos);
    EXPECT_NE(plot({"-", "-t", "Taxa & genera"}, table).out.find("<title>Taxa &amp; genera</title>"), std::string::npos);
}

// Bad tables, command lines that cannot be followed, the help and the version,
// failed writes to standard output and files that cannot be made are
// end-to-end cases (cases/), compared byte for byte; an empty prefix cannot be
// written as a case's argument.
TEST(PlotCommand, AnEmptyPrefixIsRefused) {
    const Result r = plot({"-o", ""}, table);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvix-plot: the output prefix of -o is empty\n" + usage_line);
    EXPECT_EQ(r.out, "");
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

TEST_F(PlotFiles, NothingIsWrittenForBadInput) {
    const Result bad = plot({"-o", (folder_ / "p").string()}, table + "Threshold \tNo._Clusters\tX_0\n0.1\tx\t1\n");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(PlotFiles, FailedWritesToAPictureStopTheRun) {
    // The first picture goes to the full device; the second is not written.
    const fs::path prefix = folder_ / "full";
    fs::create_symlink("/dev/full", folder_ / "full-1.svg");
    const Result r = plot({"-o", prefix.string()}, table + table);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvix-plot: output error: " + prefix.string() + "-1.svg: No space left on device\n");
    EXPECT_FALSE(fs::exists(folder_ / "full-2.svg"));
}

TEST_F(PlotFiles, GroupsOfTheReferenceFileAndTheTitleFromTheInput) {
    const std::string similarity =
        "Threshold \tNo._Clusters\tShared_I._0\tShared_I._1\tShared_I._2\n"
        "0.00000000\t 3.00000000\t 0.50000000\t 0.40000000\t 0.45000000\n"
        "0.10000000\t 1.00000000\t 1.00000000\t 0.30000000\t 0.65000000\n";
    const fs::path input = folder_ / "run.out";
    std::ofstream(input) << similarity;
    // Three objects; the first partition has groups a and b (" a " is a, as
    // tarvix cleans names), the second one group "x y" (quoted, with a tab
    // inside) only.
    const fs::path reference = folder_ / "ref.txt";
    std::ofstream(reference) << "o1\ta\t\"x\ty\"\n\no2\tb\t\"x\ty\"\r\no3\t a \t\"x\ty\"\n";
    const Result r = plot({"--groups", reference.string(), input.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(">2 groups in the reference partition<"), std::string::npos);
    EXPECT_NE(r.out.find(">1 group in the reference partition<"), std::string::npos);
    EXPECT_NE(r.out.find("<title>run.out</title>"), std::string::npos);
}
