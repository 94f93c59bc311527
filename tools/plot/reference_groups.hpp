// The number of groups of each reference partition, from the reference file
// that tarvix -o read.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace tarvix::plot {

// Reads a partition file (one line per object: the label, then one group
// name per partition, separated by tabs; double quotes around a field that
// holds tabs; blank lines skipped) and counts the distinct group names of
// each partition column. Throws InputError naming `source` and the line for a
// line with another number of fields than the first, or a file without
// partition columns.
std::vector<std::size_t> count_reference_groups(std::istream& in, const std::string& source);

}  // namespace tarvix::plot
