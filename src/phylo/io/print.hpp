// Printing of report tables and matrices on an output. Tables are written in
// the RAW layout: the row label padded with spaces to the longest label, then
// a tab before every value. Reals are written in fixed point with 8 decimals.
#pragma once

#include <cstdint>
#include <string>

#include "phylo/number_images.hpp"
#include "phylo/io/output.hpp"
#include "phylo/types.hpp"

namespace phylo::io::print {

inline constexpr int default_fore = 2;
inline constexpr int default_aft = 8;
inline constexpr int default_exp = 0;

// A real in fixed point: sign (decided before rounding, so -0.000000001 keeps
// its minus), integer part padded on the left to `fore` characters, a point
// and `aft` digits, rounded correctly with ties to even. NaN and infinities
// are written NaN / +Inf / -Inf filled with '*' to fore + 1 + aft characters.
void append_real(std::string& text, double value, int fore = default_fore, int aft = default_aft);
// An integer with a leading space when not negative.
void append_integer(std::string& text, std::int64_t value);

// A table in the RAW layout. A table without rows, with an empty first row
// or with only empty labels is a range error.
void put(Output& out, const RealData& table, int fore = default_fore, int aft = default_aft);
void put(Output& out, const CountData& table);

// A graph, one line per row: for every column a tab and TRUE or FALSE.
void put(Output& out, const BooleMatrix& graph);

// The labels of a matrix, one per line exactly as stored, then an empty line.
void put_labels(Output& out, const Squared& matrix);

}  // namespace phylo::io::print
