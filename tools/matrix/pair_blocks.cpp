#include "pair_blocks.hpp"

#include <array>
#include <cstring>
#include <exception>

#include "block_reader.hpp"
#include "errors.hpp"
#include "fields.hpp"
#include "ordered_pipeline.hpp"

namespace tarvix::matrix {

namespace {

// Names are short (paths of genome files): eight bytes a step, inline,
// beats a call of memcmp on the two comparisons every line makes.
bool same_name(const std::string& known, std::string_view name) noexcept {
    if (known.size() != name.size()) return false;
    const char* a = known.data();
    const char* b = name.data();
    std::size_t n = name.size();
    for (; n >= 8; a += 8, b += 8, n -= 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y) return false;
    }
    for (; n > 0; --n)
        if (*a++ != *b++) return false;
    return true;
}

// A name's row, trying first the rows that lists written by nested loops
// over genomes name next: the same as on the line before (the query of a
// list sorted by query) or the one after it (the references, in the same
// order for every query). Every guess is checked, so a miss only costs the
// comparison. -1 when the name is unknown.
std::int64_t row_of(const LabelTable& labels, std::string_view name, std::int64_t& last, bool next_first) {
    const auto size = static_cast<std::int64_t>(labels.size());
    const std::int64_t first_guess = next_first ? last + 1 : last;
    const std::int64_t second_guess = next_first ? last : last + 1;
    if (first_guess >= 0 && first_guess < size && same_name(labels.name(static_cast<std::size_t>(first_guess)), name))
        return last = first_guess;
    if (second_guess >= 0 && second_guess < size && same_name(labels.name(static_cast<std::size_t>(second_guess)), name))
        return last = second_guess;
    const std::int64_t found = labels.find(name);
    if (found >= 0) last = found;
    return found;
}

// Lines of a list (as in a LineReader): the line end and a carriage return
// before it are not part of the line.
struct Line {
    std::string_view text;
    std::size_t length;  // with a carriage return, as limited by max_line
    std::size_t next;    // where the next line begins
};

Line line_at(std::string_view text, std::size_t position) {
    const char* start = text.data() + position;
    const std::size_t left = text.size() - position;
    const void* end = std::memchr(start, '\n', left);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - start) : left;
    std::string_view line(start, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return {line, length, position + length + (end ? 1 : 0)};
}

struct Block {
    std::vector<char> text;
    std::size_t size = 0;
    std::exception_ptr read_error;
    ParsedPairs parsed;
};

}  // namespace

void parse_pairs(std::string_view text, const PairLayout& layout, const LabelTable& labels, Conversion conversion,
                 std::size_t max_line, ParsedPairs& parsed) {
    parsed.values.clear();
    parsed.lines = 0;
    std::array<std::string_view, kMaxFields + 1> fields;
    std::string scratch;
    std::int64_t last_row = -1, last_column = -1;
    std::size_t position = 0;
    while (position < text.size()) {
        const Line line = line_at(text, position);
        if (line.length > max_line) break;
        if (!blank_line(line.text)) {
            const std::size_t n = layout.tabs ? split_tabs(line.text, fields) : split_blanks(line.text, fields);
            if (n != layout.fields) break;
            const std::int64_t row = row_of(labels, fields[layout.row], last_row, false);
            if (row < 0) break;
            const std::int64_t column = row_of(labels, fields[layout.column], last_column, true);
            if (column < 0) break;
            double distance;
            try {
                distance = to_distance(fields[layout.value], conversion, scratch);
            } catch (const ValueError&) {
                break;
            }
            parsed.values.push_back({static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column),
                                     static_cast<std::uint32_t>(parsed.lines + 1), distance});
        }
        ++parsed.lines;
        position = line.next;
    }
    parsed.stop = position;
}

std::string pair_given_twice(const LabelTable& labels, std::size_t row, std::size_t column) {
    return "the pair " + labels.name(row) + " " + labels.name(column) + " appears a second time";
}

void store_pairs(const ParsedPairs& parsed, std::size_t lines_before, ReadMatrix& result) {
    for (const PairValue& value : parsed.values) {
        double& entry = result.values.at(value.row, value.column);
        if (!TiledMatrix::is_absent(entry))
            throw InputError(lines_before + value.line, pair_given_twice(result.labels, value.row, value.column));
        entry = value.distance;
    }
}

void read_pair_blocks(LineReader& reader, const PairLayout& layout, Conversion conversion, std::size_t max_line,
                      ReadMatrix& result, const std::function<void(std::string_view, std::size_t)>& one_line) {
    std::size_t lines = reader.line_number();
    BlockReader blocks(reader.source(), reader.take_held(), reader.at_end(), max_line, reader.bytes_read(),
                       reader.progress());
    const unsigned workers = worker_count();
    run_ordered<Block>(
        workers, std::size_t{workers} + 2,
        [&](Block& block) { return blocks.next(block.text, block.size, block.read_error, lines); },
        [&](Block& block) {
            parse_pairs(std::string_view(block.text.data(), block.size), layout, result.labels, conversion, max_line,
                        block.parsed);
        },
        [&](Block& block, const std::function<void()>& pause) {
            store_pairs(block.parsed, lines, result);
            lines += block.parsed.lines;
            const std::string_view text(block.text.data(), block.size);
            if (block.parsed.stop < text.size()) {
                // New names change the table the parsers read.
                pause();
                for (std::size_t position = block.parsed.stop; position < text.size();) {
                    const Line line = line_at(text, position);
                    ++lines;
                    if (line.length > max_line) throw line_too_long(lines, max_line);
                    if (!blank_line(line.text)) one_line(line.text, lines);
                    position = line.next;
                }
            }
            if (block.read_error) std::rethrow_exception(block.read_error);
        });
}

}  // namespace tarvix::matrix
