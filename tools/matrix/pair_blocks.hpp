// Pair lists of a hundred million lines, read in blocks: every block is
// parsed on any thread against the labels known so far, and stored in the
// order of the input, so that the labels are numbered, the values land and
// the first fault is reported exactly as reading line by line would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.hpp"
#include "number_text.hpp"
#include "reading.hpp"

namespace tarvix::matrix {

// Where a pair kind's names and value are in its lines.
struct PairLayout {
    bool tabs = true;          // fields split at tabs, else at runs of blanks
    std::size_t fields = 0;    // fields per line
    std::size_t row = 0;       // the query's field
    std::size_t column = 1;    // the reference's field
    std::size_t value = 2;     // the value's field
    const char* what = "";     // for messages
};

// One line's value, parsed ahead of being stored.
struct PairValue {
    std::uint32_t row;
    std::uint32_t column;
    std::uint32_t line;  // within its block, from 1
    double distance;
};

struct ParsedPairs {
    std::vector<PairValue> values;
    std::size_t lines = 0;  // lines parsed, blank ones included
    std::size_t stop = 0;   // where the lines left to the line-by-line reader begin
};

// Parses the lines of `text` for as long as they are plain: the layout's
// number of fields, names that `labels` knows, values that convert, at most
// `max_line` bytes. Stops at the first line that is not, which the
// line-by-line reader then takes (adding the name, or reporting the fault).
// Reads `labels` only, so that several threads may parse at once.
void parse_pairs(std::string_view text, const PairLayout& layout, const LabelTable& labels, Conversion conversion,
                 std::size_t max_line, ParsedPairs& parsed);

// The message for a pair given a second time in the same direction.
std::string pair_given_twice(const LabelTable& labels, std::size_t row, std::size_t column);

// Stores parsed values in order; a pair given a second time is an InputError
// at its line, `lines_before` + its line in the block.
void store_pairs(const ParsedPairs& parsed, std::size_t lines_before, ReadMatrix& result);

// Reads the rest of `reader`'s input as pair lines on worker_count()
// threads. Lines the parse leaves are handed, in order and with their line
// numbers, to `one_line` (not blank, not too long), which may add labels:
// no parse runs meanwhile.
void read_pair_blocks(LineReader& reader, const PairLayout& layout, Conversion conversion, std::size_t max_line,
                      ReadMatrix& result, const std::function<void(std::string_view, std::size_t)>& one_line);

}  // namespace tarvix::matrix
