// What several reports share: the shortest-path transform of a matrix, the
// threshold series of a matrix, and the memory check for tables that have
// one row per threshold.
#pragma once

#include <cstddef>

#include "driver/report.hpp"
#include "phylo/graph/builders.hpp"
#include "phylo/series/threshold_batches.hpp"

namespace tarvix {

// Writes each relative neighbourhood graph an engine builds to the report
// output, where users have always found it.
phylo::graph::GraphObserver graph_writer(const RunContext& context);

// With -y, replaces the matrix's distances by their shortest-path lengths.
void transform_if_asked(const RunContext& context, phylo::Squared& matrix);

// The threshold series 0..N of the matrix: the fraction-of-links series, or
// the clique series when allow_cliques is set and the fraction is negative.
// upper_finite, when given, may be told that the matrix's upper triangle
// holds finite numbers only.
phylo::PartitionSet threshold_series(const RunContext& context, const phylo::RealMatrix& distances, bool allow_cliques,
                                     const phylo::series::UpperTriangleFinite* upper_finite = nullptr);

// Bookkeeping of one table row besides its values: the row and label
// objects, and the series entry of a threshold.
inline constexpr std::size_t row_overhead = 128;

// Fails with a clear message, before anything is allocated, when rows of
// bytes_per_row bytes each cannot fit in this machine's memory: "<rows>
// <what> need about <G> GB of memory, more than this machine has; <advice>".
void check_rows_fit(long long rows, std::size_t bytes_per_row, const char* what, const char* advice);

// The same for the tables of N + 1 rows of values_per_threshold reals (a
// threshold range that asks for billions of thresholds).
void check_threshold_memory(const RunContext& context, std::size_t values_per_threshold);

}  // namespace tarvix
