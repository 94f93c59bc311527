// The command line of tarvix-matrix: options, the run, and the one place
// where failures become a message and an exit status.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "assemble.hpp"

namespace tarvix::matrix {

struct MatrixOptions {
    std::string input = "-";
    std::optional<std::string> output;
    InputKind kind = InputKind::automatic;
    std::optional<Conversion> conversion;
    Asymmetry asymmetry = Asymmetry::mean;
    std::optional<double> missing;
    bool keep_paths = false;
    bool help = false;
    bool version = false;
};

// Throws UsageError for a command line that cannot be followed.
MatrixOptions parse_matrix_options(const std::vector<std::string>& arguments);

const std::string& matrix_usage();

// Runs tarvix-matrix: the matrix goes to standard output (file descriptor 1)
// or to the -o file, messages to `standard_error`. Returns the exit status.
int run_matrix(const std::vector<std::string>& arguments, std::ostream& standard_error);

}  // namespace tarvix::matrix
