// Partition files: one line per object, fields separated by a separator
// character (the tab), quote characters around fields that hold separators,
// blank lines skipped, no header line. The first field is the object's label,
// each further field its group name in one partition.
#pragma once

#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace phylo::io::partition_file {

// The table as read: row r holds the cleaned fields of the r-th non-empty line.
GroupNameTable get(TextInput& input, char separator, char quote);

// The table read and transposed: row 0 holds the object labels, each further
// row the group names of one partition.
GroupNameTable get_transposed(TextInput& input, char separator, char quote);

}  // namespace phylo::io::partition_file

namespace phylo::io::partition_file {

// T(j)(i) = A(i)(j); an empty table is an index error, rows of different
// lengths a size error.
GroupNameTable transpose(const GroupNameTable& table);

}  // namespace phylo::io::partition_file
