// The program: option scan, usage, preparation, the input loop, and the one
// handler that turns every failure into its message and exit status.
#pragma once

#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "phylo/io/output.hpp"

namespace tarvix {

// Runs the program with the arguments after the command name, writing the
// reports to out and the usage text, progress and failure lines to err;
// returns the exit status (0 on success, 1 on every failure and after the
// usage text).
int run(const std::string& command, const std::vector<std::string>& arguments, phylo::io::Output& out,
        std::ostream& err);

// The one handler: flushes what out still holds, so that output written
// before the failure stays, then writes the failure's line to err and
// returns the exit status 1. Anything outside the library's own conditions
// is an internal error, reported the same way rather than aborting.
int report_failure(std::exception_ptr failure, phylo::io::Output& out, std::ostream& err);

}  // namespace tarvix
