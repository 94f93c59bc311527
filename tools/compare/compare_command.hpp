// The tarvix-compare command: options, reading both inputs, one comparison
// per clustering, writing.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvix::compare {

// Runs tarvix-compare with the arguments after the program name. An input
// named "-" is `standard_input`. Messages go to `standard_error`. Returns
// the exit status: 0, or 1 after any failure (nothing is written to
// `standard_output` unless both inputs were read and matched).
int run_compare(const std::vector<std::string>& arguments, std::istream& standard_input,
                std::ostream& standard_output, std::ostream& standard_error);

// The text --help prints.
std::string compare_usage();

}  // namespace tarvix::compare
