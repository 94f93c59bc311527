// The driver in process: each failure's line and exit status, and a report
// that cannot be written.
#include "driver/run.hpp"
#include "driver/options.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <new>
#include <sstream>
#include <stdexcept>

#include "phylo/errors.hpp"
#include "text_utils/text_utils.hpp"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// The line and status report_failure gives for a failure; out holds a report
// written before the failure.
Outcome failing_with(std::exception_ptr failure) {
    phylo::io::Output out;
    out.write("written before\n");
    std::ostringstream err;
    const int status = tarvix::report_failure(failure, out, err);
    return {status, out.captured(), err.str()};
}

template <class E>
std::string line_for(const E& e) {
    const Outcome outcome = failing_with(std::make_exception_ptr(e));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "written before\n");
    return outcome.err;
}

TEST(FailureLines, EachClassHasItsLineAndStatusOne) {
    EXPECT_EQ(line_for(phylo::InvalidFilename("/x")), "Invalid filename.\n");
    EXPECT_EQ(line_for(phylo::DataError("/x: not a number")), "Wrong file format.\n");
    EXPECT_EQ(line_for(phylo::RangeError("object count 0")), "tarvix: range error: object count 0\n");
    EXPECT_EQ(line_for(phylo::SizeError(phylo::size_error::group_names, "phylo-taxonomy:356")),
              "tarvix: PHYLO.GROUP_NAMES.SIZE_ERROR: phylo-taxonomy:356\n");
    EXPECT_EQ(line_for(phylo::OutputError("No space left on device")),
              "tarvix: output error: No space left on device\n");
    EXPECT_EQ(line_for(std::bad_alloc()), "tarvix: resource error: not enough memory\n");
    EXPECT_EQ(line_for(text_utils::PatternError("text_utils:1165")), "tarvix: pattern error: text_utils:1165\n");
}

TEST(FailureLines, AnythingElseIsAnInternalErrorNotAnAbort) {
    EXPECT_EQ(line_for(std::out_of_range("vector::_M_range_check")),
              "tarvix: internal error: vector::_M_range_check\n");
    const Outcome outcome = failing_with(std::make_exception_ptr(42));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "tarvix: internal error: an unknown failure\n");
}

// A writer on the full-disk device: every write fails with ENOSPC.
class FullDisk {
public:
    FullDisk() : fd_(::open("/dev/full", O_WRONLY | O_CLOEXEC)) {}
    ~FullDisk() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool available() const { return fd_ >= 0; }
    int fd() const { return fd_; }

private:
    int fd_;
};

Outcome run_on_full_disk(const std::vector<std::string>& arguments) {
    FullDisk disk;
    if (!disk.available()) return {-1, "", ""};
    std::ostringstream err;
    int status;
    {
        phylo::io::Output out(disk.fd());
        status = tarvix::run("tarvix", arguments, out, err);
    }
    return {status, "", err.str()};
}

TEST(WriteErrors, AReportLostOnAFullDiskIsAFailure) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--version"}, {"--help"}, {"-l", TARVIX_EXAMPLES "/taxa30.dst"}}) {
        const Outcome outcome = run_on_full_disk(arguments);
        if (outcome.status == -1) GTEST_SKIP() << "no /dev/full";
        EXPECT_EQ(outcome.status, 1) << arguments[0];
        EXPECT_EQ(outcome.err, "tarvix: output error: No space left on device\n") << arguments[0];
    }
}

TEST(WriteErrors, AFailedWriteStopsTheRunAtOnce) {
    // Two inputs, the second missing: the report of the first overflows the
    // buffer and fails, so the second is never opened ("Invalid filename."
    // would follow otherwise).
    const Outcome outcome = run_on_full_disk({"-o", TARVIX_EXAMPLES "/taxa30_ref.txt", "-a", "0.3", "-s", "0.00001",
                                              "-v", TARVIX_EXAMPLES "/taxa30.dst", "no-such-file.dst"});
    if (outcome.status == -1) GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "tarvix: output error: No space left on device\n");
}

TEST(Run, WritesReportsToTheGivenOutput) {
    phylo::io::Output out;
    std::ostringstream err;
    EXPECT_EQ(tarvix::run("tarvix", {"-l", TARVIX_EXAMPLES "/taxa30.dst"}, out, err), 0);
    EXPECT_EQ(out.captured().substr(0, 14), "S01_A0\nS02_A0\n");
    EXPECT_EQ(err.str(), "");
    std::ostringstream usage;
    EXPECT_EQ(tarvix::run("my-tarvix", {"-v"}, out, usage), 1);
    EXPECT_EQ(usage.str().substr(0, 41), "\nmy-tarvix optimizes linkage clustering\n\n");
}

// --help alone answers on standard output with success; a command line
// without input still gets the short usage text on standard error.
TEST(Run, HelpGoesToStandardOutputAndTheUsageToStandardError) {
    phylo::io::Output out;
    std::ostringstream err;
    EXPECT_EQ(tarvix::run("my-tarvix", {"--help"}, out, err), 0);
    EXPECT_EQ(out.captured().rfind("Usage: my-tarvix [options] inputfile(s)\n", 0), 0u);
    EXPECT_NE(out.captured().find("\n  -m INT "), std::string::npos);
    EXPECT_EQ(err.str(), "");
    phylo::io::Output none;
    std::ostringstream usage;
    EXPECT_EQ(tarvix::run("my-tarvix", {"-a", "0.3"}, none, usage), 1);
    EXPECT_EQ(none.captured(), "");
    EXPECT_EQ(usage.str(), tarvix::usage_text("my-tarvix"));
}

}  // namespace
