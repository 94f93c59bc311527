// Reading the two sides of a comparison: the single-threshold report of
// tarvix (-i T), one partition per table, and partition files.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix::compare {

// Input that cannot be compared. The message is the whole line the user
// sees after the program name: the file, the line or label, what to do.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A partition of labelled objects as an input gives it.
struct LabelledPartition {
    std::string origin;                    // the input as messages name it
    std::vector<std::string> labels;       // the objects, in input order
    std::vector<std::size_t> lines;        // the line of each object
    std::vector<std::string> group_names;  // group g is named group_names[g]
    std::vector<std::size_t> group_of;     // the group of each object
};

// The lines of an input, without their line ends. `name` is how messages
// name the input.
struct InputText {
    std::string name;
    std::vector<std::string> lines;
};

InputText read_lines(std::istream& in, const std::string& name);

// Whether the input is a report of tarvix: its first non-empty line is the
// header that starts with Object and Cluster_0.
bool is_cluster_report(const InputText& input);

// One partition per table of a single-threshold report; the clusters are
// named by the numbers tarvix printed and ordered by them.
std::vector<LabelledPartition> read_cluster_report(const InputText& input);

// Partition column `column` (1 = the first after the labels) of a partition
// file; groups are numbered in order of first appearance down the file.
// `option` names the option that chooses the column, for the messages.
LabelledPartition read_partition_column(const InputText& input, std::size_t column, std::string_view option);

// The reference group of every object of the clustering, in the
// clustering's object order. Both sides must hold the same labels.
std::vector<std::size_t> align_reference(const LabelledPartition& clustering, const LabelledPartition& reference);

}  // namespace tarvix::compare
