// The detail lines of failures that only the driver can explain: which labels
// of the reference partition file and of the matrix fail to match, which
// objects a negative distance lies between, what an option value should be,
// and what an argument that opens no file was probably meant to be.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "driver/report.hpp"
#include "phylo/errors.hpp"
#include "phylo/types.hpp"

namespace tarvix {

// The longest list of labels a detail line shows.
inline constexpr std::size_t listed_labels = 10;

// The reference partitions of a matrix (or of an input partition table) with
// the labels given; a mismatch with the reference partition file fails as it
// always did, now with a detail that names the offending labels and lines.
phylo::PartitionSet reference_partitions(const RunContext& context, const phylo::Labels& labels,
                                         const char* labelled = "the matrix");

// What differs between the labels of a matrix and the first column of a
// partition file (row r of the file on line lines[r]): a header line, labels
// listed twice, labels of the file that the matrix lacks and labels of the
// matrix that the file lacks, up to ten of them, and what to do.
std::string reference_mismatch(const phylo::Labels& labels, const phylo::GroupNameTable& reference,
                               const std::vector<std::size_t>& lines, const char* labelled);

// What of the name table of the two-matrix optimisation fails to match: its
// first column against the labels of the matrix, its second against the
// labels of the second matrix. Empty when everything matches.
std::string name_table_mismatch(const phylo::Labels& labels, const phylo::GroupNameTable& names,
                                const std::vector<std::size_t>& lines, const phylo::Labels& second_labels);

// Why a partition file yields no partition column, and what to do.
std::string one_column_reference(const phylo::GroupNameTable& reference, const std::vector<std::size_t>& lines);

// Throws failure, its described message unchanged, with the reference file
// as its subject and the detail of a file without a partition column.
template <class Failure>
[[noreturn]] void throw_without_partition_column(const RunContext& context, Failure failure) {
    failure.set_subject(context.reference_name);
    failure.set_detail(one_column_reference(context.reference, context.reference_lines));
    throw failure;
}

// Names the objects of a negative distance by their labels.
void name_objects(phylo::NegativeDistance& failure, const phylo::Labels& labels);

// Names the first pair of objects whose distance lies outside 0 .. the
// largest double, for the failure of the graphs' range check.
void name_distance_out_of_range(phylo::Error& failure, const phylo::Squared& matrix);

// An input argument that opens no file: says so, and when it looks like an
// option glued to its value (-a0.3) or an option tarvix lacks (-X, --verbose),
// says what to write instead.
void describe_unopened_input(phylo::InvalidFilename& failure, const std::string& argument, const char* role);

}  // namespace tarvix
