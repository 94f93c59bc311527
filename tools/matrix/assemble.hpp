// From the values as the input gave them to the finished square matrix:
// the two directions of a pair made one (or kept apart), absent pairs filled
// or reported, and the matrix written in the extended PHYLIP layout.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "reading.hpp"

namespace tarvix::matrix {

// What becomes of a pair given in both directions with different values.
enum class Asymmetry {
    mean,  // (a + b) / 2, computed in doubles from the two converted values
    min,
    max,
    both,  // the matrix keeps both: row = query, column = reference
};

// Completes `matrix` in place. A pair given in one direction only takes that
// value in both; a missing diagonal entry is 0. Pairs given in neither
// direction take `missing` when it is set, and are an InputError (line 0)
// giving their count and the first few otherwise.
void complete(ReadMatrix& matrix, Asymmetry asymmetry, std::optional<double> missing);

// Writes the finished matrix: the count, then one row per object, its label
// and its N values in the shortest text that reads back to the same double.
// The text goes to `sink` in blocks of about a megabyte.
void write_phylip(const ReadMatrix& matrix, const std::function<void(std::string_view)>& sink);

}  // namespace tarvix::matrix
