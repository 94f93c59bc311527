// Reading the rows of a distance matrix on all cores. Most matrices hold
// each row on a line of its own; for those, a large block of buffered text is
// cut at line ends into one chunk per thread and every line is parsed as one
// row, speculatively. Then the rows are checked in order: a row counts only
// when it lies on its own line exactly where the one-character-at-a-time
// reader would find it, with its label and all its values, and only as many
// rows as the matrix has. At the first line that does not hold a row this
// way (a row spread over lines, a blank line, any text the number syntax
// refuses) the speculation stops; the rows before it are kept and the
// sequential reader goes on from the start of that line, so that every
// value, label, message and point of failure stays what it would be.
#pragma once

#include <cstddef>
#include <memory>

#include "phylo/io/read.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/types.hpp"

namespace phylo::io::parallel_read {

class RowReader {
public:
    // For one matrix of n objects whose header has just been read.
    RowReader(TextInput& input, read::InputFormat format, std::size_t n) noexcept
        : input_(input), format_(format), n_(n) {}

    // Reads rows first_row, first_row + 1, ... while they stand on lines of
    // their own, into values (grown when needed, keeping the first_row * n
    // values already read; capacity is its size in values) and labels.
    // Returns how many rows it read and leaves the input behind the last of
    // them; 0 when the caller's sequential reader must take the next row.
    std::size_t get_rows(std::size_t first_row, std::unique_ptr<double[]>& values, std::size_t& capacity,
                         Labels& labels);

private:
    std::size_t give_up(std::size_t first_row) noexcept;

    TextInput& input_;
    read::InputFormat format_;
    std::size_t n_;
    // After a try that found no row, the sequential reader takes `backoff_`
    // rows before the next try (doubling), so a layout with rows spread over
    // lines costs few futile tries.
    std::size_t retry_at_ = 0;
    std::size_t backoff_ = 1;
    std::size_t shortest_line_ = 0;  // of the rows read so far
    // The text the next try parses (at least what is buffered then), read
    // ahead while this one is parsed: small at first, doubling up to the
    // tuning's block size.
    static constexpr std::size_t first_block = std::size_t{1} << 21;
    std::size_t next_block_ = first_block;
};

// The value of a number token in the number syntax, exactly as
// number_syntax::real_value gives it, taking the digits it can convert
// exactly by a single correctly rounded division (at most 15 significant
// digits and 22 decimals, no exponent) itself. The token is the longest
// prefix of [p, end) the syntax takes; false when it is not a complete
// number, overflows, or is too long to be a distance. On success p moves
// behind the token.
bool take_real(const char*& p, const char* end, double& value) noexcept;

// How the speculation works, for tests and fuzzing: with enabled = false
// every row is read by the sequential reader; small sizes make the block
// and chunk boundaries fall inside small texts. Not for concurrent use.
struct Tuning {
    bool enabled = true;
    std::size_t block_bytes = std::size_t{1} << 25;       // never the whole text
    std::size_t least_chunk_bytes = std::size_t{1} << 20;  // less per thread is parsed on one
    std::size_t count_together_bytes = std::size_t{1} << 24;  // smaller blocks have their lines counted on one
};
Tuning& tuning() noexcept;

}  // namespace phylo::io::parallel_read
