// The distance-matrix reader: PHYLIP (ten-character labels), extended PHYLIP
// (the label is the first word; the default) and tab-separated layouts.
// Strict about the object count and the number syntax, permissive elsewhere:
// symmetry, the diagonal and label uniqueness are not checked, and whatever
// follows the last value of a row on its line is ignored.
#pragma once

#include <cstdint>
#include <string>

#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace phylo::io::read {

enum class DistInputFormat { PHYLIP, EXTENDED_PHYLIP, TAB_SEPARATED };
enum class InputFormat { COMMENTED_PHYLIP, EXTENDED_PHYLIP, PHYLIP, TAB_SEPARATED };

InputFormat label_format(DistInputFormat format) noexcept;

// Reads one matrix and leaves the input right behind it.
Squared get(TextInput& input, DistInputFormat format);

// The object count of the next matrix.
std::int32_t get_header(TextInput& input, DistInputFormat format);

// Appends the next label to label.
void get_label(TextInput& input, InputFormat format, std::string& label);

// The next real value in the number syntax (blanks and line ends skipped).
double get_real(TextInput& input);

}  // namespace phylo::io::read
