// The command line: the option scan, the usage text and the threshold count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/settings.hpp"

namespace tarvix {

struct CommandLine {
    Settings settings;
    std::vector<std::string> inputs;  // the arguments left after the scan
};

// Scans the arguments from the last to the first, so that the leftmost
// occurrence of an option decides its setting. An option takes the argument
// after it whatever it looks like; an option-shaped value is therefore
// examined as an option before its own option is reached.
CommandLine scan_options(std::vector<std::string> arguments);

// The usage text, written when no input is named.
std::string usage_text(const std::string& command);

// The text of --help: every option with its default and accepted values, the
// run modes, examples. Written to standard output; the usage text stays the
// answer to a command line without input.
std::string help_text(const std::string& command);

// "tarvix 1.5" and a line end.
std::string version_line();

// Settles the threshold range: the maximum follows the minimum in the
// single-threshold mode, and wherever it lies below it. The count of the
// thresholds is phylo::threshold_count of the settled range.
void settle_threshold_range(Settings& settings);

}  // namespace tarvix
