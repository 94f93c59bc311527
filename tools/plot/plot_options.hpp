// The command line of tarvix-plot.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "chart_options.hpp"

namespace tarvix::plot {

// A command line that cannot be followed; the usage line follows the message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct PlotOptions {
    std::string input = "-";
    std::optional<std::string> prefix;
    std::optional<std::string> title;
    std::optional<std::string> groups_file;
    ChartOptions chart;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name; throws UsageError.
PlotOptions parse_options(const std::vector<std::string>& arguments);

// "0.05:95% ANI" -> (0.05, "95% ANI"); "0.05" -> (0.05, ""). The value is a
// plain decimal number (sign, digits, point, exponent); the text is whatever
// follows the first colon.
Mark parse_mark(const std::string& argument);

// A decimal number with nothing around it, for option values; nothing when
// the text is anything else (also "nan", "inf", hexadecimal).
std::optional<double> parse_decimal(const std::string& text);

}  // namespace tarvix::plot
