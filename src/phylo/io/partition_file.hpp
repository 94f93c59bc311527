// Partition files: one line per object, fields separated by a separator
// character (the tab), quote characters around fields that hold separators,
// blank lines skipped, no header line. The first field is the object's label,
// each further field its group name in one partition.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace phylo::io::partition_file {

// A field or tab-separated label as users' files hold it, cleaned the one way
// both readers clean it: spaces (only the space character) at both ends
// removed and every inner space turned into '_', so that "Strain 1" in a
// partition file matches the label Strain_1 of a tab-separated matrix.
std::string clean(std::string_view field);

// The table as read: row r holds the cleaned fields of the r-th non-empty
// line. When line_numbers is given, it receives the line number (from 1) of
// every row, for messages.
GroupNameTable get(TextInput& input, char separator, char quote, std::vector<std::size_t>* line_numbers = nullptr);

// The table read and transposed: row 0 holds the object labels, each further
// row the group names of one partition.
GroupNameTable get_transposed(TextInput& input, char separator, char quote,
                              std::vector<std::size_t>* line_numbers = nullptr);

// T(j)(i) = A(i)(j); an empty table is an index error, rows of different
// lengths a size error.
GroupNameTable transpose(const GroupNameTable& table);

}  // namespace phylo::io::partition_file
