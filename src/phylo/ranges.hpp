// Range checks and value marks shared by the proximity-graph builders and the
// guided clustering. Distances, longest edges, medians and diameters must lie
// within 0 .. the largest double; anything else stops the run.
#pragma once

#include <limits>
#include <string>

#include "phylo/types.hpp"

namespace phylo {

inline constexpr double largest_double = std::numeric_limits<double>::max();

// The mark of a per-object or per-cluster value that has none yet (the most
// negative double); an entry below half of it counts as missing when missing
// entries are replaced.
inline constexpr double no_value = -largest_double;
inline constexpr double missing_below = -8.988465674311579e307;
static_assert(missing_below == no_value / 2);

// Returns value when 0 <= value <= the largest double; otherwise throws
// RangeError "<what> outside 0 .. largest double: <value>".
double require_range(double value, const char* what);

// Checks every distance of the upper triangle (row below column), row by row.
void require_distances(const RealMatrix& distances);

}  // namespace phylo
