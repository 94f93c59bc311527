// The program: option scan, usage, preparation, the input loop, and the one
// handler that turns every failure into its message and exit status.
#pragma once

#include <string>
#include <vector>

namespace tarvix {

// Runs the program with the arguments after the command name; returns the
// exit status (0 on success, 1 on every failure and after the usage text).
int run(const std::string& command, const std::vector<std::string>& arguments);

}  // namespace tarvix
