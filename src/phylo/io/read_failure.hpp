// What a user needs to know when a distance matrix cannot be read: the file,
// the line, the row and the text that stopped the reader, a guess at what the
// file really is (a triangle, a pair list, a partition file, a compressed
// file) and what to do. Only called on the way out of a failure, so the work
// it does (counting lines, looking at the text) never slows down reading.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "phylo/errors.hpp"
#include "phylo/io/read.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace phylo::io::read {

// Where in a matrix the reader stood when it failed.
struct RowPlace {
    std::size_t objects = 0;   // N of the header
    std::size_t row = 0;       // the row being read, from 0
    std::size_t values = 0;    // values of that row read so far
    bool labelled = false;     // its label has been read
};

// Gives a failure of the header (the object count, or a tab-separated header
// line) its detail. header_start is the offset where the header's reading
// began.
void describe_header_failure(TextInput& input, Error& failure, DistInputFormat format, std::size_t header_start);

// Gives a failure inside the rows its detail; labels holds the labels read.
void describe_row_failure(TextInput& input, Error& failure, DistInputFormat format, const RowPlace& place,
                          const Labels& labels);

// A word of the input shown in a message: quoted, at most 40 characters,
// control characters as '?'.
std::string shown(std::string_view word);

// The command that converts a file with tarvix-matrix ("tarvix-matrix
// /data/a.txt > m.dst", or from standard input "tarvix-matrix < FILE > m.dst").
std::string conversion_command(const std::string& input_name);

}  // namespace phylo::io::read
