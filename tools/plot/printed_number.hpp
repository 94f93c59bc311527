// Numbers as tarvix prints them.
#pragma once

#include <optional>
#include <string_view>

namespace tarvix::plot {

// Reads one printed value: a decimal number with blanks around it
// (" 0.50000000", "-1.00000000", "5729.43037414", "         3"), or one of the
// padded words tarvix writes for values that are no number ("NaN********",
// "+Inf*******", "-Inf*******"). Anything else gives no value.
std::optional<double> parse_printed_number(std::string_view text);

}  // namespace tarvix::plot
