// The driver in process: each failure's line and exit status. Reports lost on
// a full disk, the help and the usage text are end-to-end cases.
#include "driver/run.hpp"

#include <gtest/gtest.h>

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

}  // namespace
