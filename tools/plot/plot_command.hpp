// The tarvix-plot command: options, reading, drawing, writing.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarvix::plot {

// Runs tarvix-plot with the arguments after the program name. Reads the
// named input, or `standard_input` for "-" or no input; writes one SVG to
// `standard_output` or, with -o PREFIX, the files PREFIX-1.svg ... one per
// table. Messages go to `standard_error`. Returns the exit status: 0, or 1
// after any failure. The whole input is read and checked before the first
// picture is written.
int run_plot(const std::vector<std::string>& arguments, std::istream& standard_input, std::ostream& standard_output,
             std::ostream& standard_error);

// The text --help prints.
std::string plot_usage();

}  // namespace tarvix::plot
