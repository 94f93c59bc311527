#include "phylo/io/parallel_read.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#ifdef _OPENMP
#include <omp.h>
#endif

#include "phylo/errors.hpp"
#include "phylo/io/number_syntax.hpp"
#include "phylo/real_matrix.hpp"
#include "text_utils/text_utils.hpp"

namespace phylo::io::parallel_read {

namespace {

// A block is at most tuning().block_bytes large: never the whole text, which
// may run to gigabytes, but enough that every thread parses megabytes.
// A token this long is left to the sequential reader, which decides whether
// it is a number at all.
constexpr std::size_t long_token = 4096;

constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

bool is_control(char c) noexcept {
    const unsigned u = static_cast<unsigned char>(c);
    return u <= 31 || (u >= 127 && u <= 159);
}

// The label rules of the sequential reader confined to one line [p, end):
// false when the label would reach into the next line.
bool word_label(const char*& p, const char* end, std::string& label, bool (*separates)(char)) {
    while (p < end && separates(*p)) ++p;
    if (p == end) return false;
    const char* start = p;
    while (p < end && !separates(*p)) ++p;
    label.assign(start, p);
    if (p < end) ++p;  // the separating character is consumed
    return true;
}

bool phylip_label(const char*& p, const char* end, std::string& label) {
    if (end - p < 10) return false;
    const char* first = p;
    const char* last = p + 10;
    p = last;
    while (first < last && text_utils::is_whitespace(*first)) ++first;
    while (last > first && text_utils::is_whitespace(last[-1])) --last;
    label.assign(first, last);
    return true;
}

bool tab_label(const char*& p, const char* end, std::string& label) {
    std::string raw;
    if (!word_label(p, end, raw, is_control)) return false;
    label.clear();
    const std::size_t first = raw.find_first_not_of(' ');
    if (first == std::string::npos) return true;
    const std::size_t last = raw.find_last_not_of(' ');
    for (std::size_t i = first; i <= last; ++i) label.push_back(raw[i] == ' ' ? '_' : raw[i]);
    return true;
}

bool take_label(read::InputFormat format, const char*& p, const char* end, std::string& label) {
    switch (format) {
        case read::InputFormat::EXTENDED_PHYLIP: return word_label(p, end, label, text_utils::is_whitespace);
        case read::InputFormat::PHYLIP: return phylip_label(p, end, label);
        case read::InputFormat::TAB_SEPARATED: return tab_label(p, end, label);
        case read::InputFormat::COMMENTED_PHYLIP: return false;
    }
    return false;
}

// One row on the line [p, end): its label and n values, blanks before each
// value; whatever follows the last value is ignored.
bool take_row(read::InputFormat format, const char* p, const char* end, std::size_t n, std::string& label,
              double* row, const char*& after_values) {
    if (!take_label(format, p, end, label)) return false;
    for (std::size_t k = 0; k < n; ++k) {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        if (p == end || !take_real(p, end, row[k])) return false;
    }
    after_values = p;
    return true;
}

// The lines [begin, end) of one thread: how many there are, and how many of
// them were read as rows.
struct Chunk {
    const char* begin = nullptr;
    const char* end = nullptr;
    std::size_t lines = 0;
    std::size_t first_row = 0;
    std::size_t rows = 0;
    const char* after_last_row = nullptr;  // where the sequential reader would stand
    std::size_t shortest_line = 0;
    std::vector<std::string> labels;
};

std::size_t count_lines(const char* p, const char* end) {
    std::size_t lines = 0;
    while (p < end) {
        const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        ++lines;  // a last line without a line end (the text's end) counts too
        if (newline == nullptr) break;
        p = static_cast<const char*>(newline) + 1;
    }
    return lines;
}

// Parses the chunk's lines as rows first_row, first_row + 1, ... below
// row_limit, stopping at the first line that is not one.
void parse_chunk(Chunk& chunk, read::InputFormat format, std::size_t n, std::size_t row_limit, double* values,
                 const char* text_end) {
    try {
        chunk.labels.reserve(std::min(chunk.lines, row_limit > chunk.first_row ? row_limit - chunk.first_row : 0));
        const char* line = chunk.begin;
        std::string label;
        for (std::size_t row = chunk.first_row; line < chunk.end && row < row_limit; ++row) {
            const void* newline = std::memchr(line, '\n', static_cast<std::size_t>(chunk.end - line));
            const char* line_end = newline ? static_cast<const char*>(newline) : chunk.end;
            const char* after_values = nullptr;
            if (!take_row(format, line, line_end, n, label, values + row * n, after_values)) return;
            // The sequential reader stops at the line end when nothing followed
            // the last value; otherwise it skips the rest of the line and its end.
            const char* after = after_values == line_end ? line_end : std::min(line_end + 1, text_end);
            chunk.labels.push_back(label);
            chunk.after_last_row = after;
            const auto length = static_cast<std::size_t>(line_end - line);
            if (chunk.rows == 0 || length < chunk.shortest_line) chunk.shortest_line = length;
            ++chunk.rows;
            line = line_end + 1;
        }
    } catch (...) {
        // Out of memory for a label: the rows read so far still count, and
        // the sequential reader meets the same shortage where it meets it.
    }
}

int thread_count() {
#ifdef _OPENMP
    return omp_get_max_threads();
#else
    return 1;
#endif
}

}  // namespace

Tuning& tuning() noexcept {
    static Tuning settings;
    return settings;
}

bool take_real(const char*& p, const char* end, double& value) noexcept {
    const char* q = p;
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    std::uint64_t mantissa = 0;  // may wrap beyond 19 digits: then unused
    const char* digits = q;
    while (q < end && is_digit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
    const std::size_t whole = static_cast<std::size_t>(q - digits);
    std::size_t decimals = 0;
    if (q < end && *q == '.') {
        const char* fraction = ++q;
        while (q < end && is_digit(*q)) mantissa = mantissa * 10 + static_cast<unsigned>(*q++ - '0');
        decimals = static_cast<std::size_t>(q - fraction);
    }
    const bool exponent = q < end && (*q == 'e' || *q == 'E');
    if ((whole > 0 || decimals > 0) && !exponent && whole + decimals <= 19 && decimals <= 22 &&
        mantissa <= (std::uint64_t{1} << 53)) {
        // Both operands are exact, so the one rounding of the division gives
        // the correctly rounded value, as std::from_chars does.
        double v = static_cast<double>(mantissa);
        if (decimals > 0) v /= powers_of_ten[decimals];
        value = negative ? -v : v;
        p = q;
        return true;
    }
    const std::string_view text(p, static_cast<std::size_t>(end - p));
    const number_syntax::Scan s = number_syntax::scan(text, false);
    if (!s.complete || s.length >= long_token) return false;
    const auto exact = number_syntax::real_value(text.substr(0, s.length));
    if (!exact) return false;
    value = *exact;
    p += s.length;
    return true;
}

std::size_t RowReader::get_rows(std::size_t first_row, std::unique_ptr<double[]>& values, std::size_t& capacity,
                                Labels& labels) {
    const Tuning& tune = tuning();
    if (!tune.enabled || first_row < retry_at_ || n_ == 0 || format_ == read::InputFormat::COMMENTED_PHYLIP)
        return 0;
    const std::size_t block_bytes = std::max<std::size_t>(tune.block_bytes, 1);
    const std::size_t rows_left = n_ - first_row;

    // The first block of a matrix is what is buffered already (or a little
    // more) and every next one twice as large, up to block_bytes: the text
    // of the first is read while no other thread has work, each next one is
    // read ahead while the one before it is parsed, and the text left
    // behind a block is never more than the rest of a line.
    const std::size_t block = std::min(block_bytes, std::max(next_block_, input_.buffered().size()));
    // A file ends, so asking for a whole block is safe. From a pipe, ask no
    // more than the rest of this matrix is likely to take, so that a writer
    // waiting for our report before it sends more is not waited for.
    std::size_t want = block;
    if (input_.known_remaining() == 0) {
        const std::size_t line = std::max(shortest_line_, n_ + 1);
        if (rows_left < block / line) want = rows_left * line + 1;
    }
    std::size_t got = 0;
    bool ended = false;
    try {
        got = input_.ensure(want);
        ended = got < want;
    } catch (const Error&) {
        // The file fails further on (damaged compressed data): use what is
        // buffered; the sequential reader meets the failure where it would.
        got = std::min(want, input_.buffered().size());
    }
    const std::string_view text = input_.buffered().substr(0, got);
    const char* const text_begin = text.data();
    const char* const text_end = text_begin + text.size();

    // The input stands at the start of a line or at the line end before it
    // (behind a header or a row); the label rules skip that line end alike.
    const char* begin = text_begin;
    if (begin < text_end && *begin == '\n') ++begin;
    const char* end = text_end;
    if (!ended) {
        const void* last_newline = begin < text_end ? ::memrchr(begin, '\n', static_cast<std::size_t>(text_end - begin))
                                                    : nullptr;
        if (last_newline == nullptr) return give_up(first_row);
        end = static_cast<const char*>(last_newline) + 1;
    }
    if (begin >= end) return give_up(first_row);

    // Chunks cut at line ends: eight per thread, so that the thread that also
    // reads the next block ahead does not hold the others up, and no thread
    // waits long for the last chunk of the block.
    const auto bytes = static_cast<std::size_t>(end - begin);
    const int threads = thread_count();
    const std::size_t most_chunks = threads > 1 ? 8 * static_cast<std::size_t>(threads) : 1;
    const int chunks = static_cast<int>(
        std::clamp<std::size_t>(bytes / std::max<std::size_t>(tune.least_chunk_bytes, 1), 1, most_chunks));
    std::vector<Chunk> parts(static_cast<std::size_t>(chunks));
    const char* cut = begin;
    for (int j = 0; j < chunks; ++j) {
        Chunk& chunk = parts[static_cast<std::size_t>(j)];
        chunk.begin = cut;
        if (j + 1 == chunks) {
            cut = end;
        } else {
            const char* target = std::max(cut, begin + bytes / static_cast<std::size_t>(chunks) *
                                                           static_cast<std::size_t>(j + 1));
            const void* newline = std::memchr(target, '\n', static_cast<std::size_t>(end - target));
            cut = newline ? static_cast<const char*>(newline) + 1 : end;
        }
        chunk.end = cut;
    }
    // Lines are counted on all threads only in large blocks. A small block
    // (the first ones) is counted on this thread in a fraction of a
    // millisecond, while waking the other threads can take several: they
    // wake as the parsing starts instead, where this thread parses
    // meanwhile and nobody waits for them.
    const int team = bytes >= tune.count_together_bytes ? std::min(threads, chunks) : 1;
#ifdef _OPENMP
#pragma omp parallel for num_threads(team) schedule(dynamic, 1) if (team > 1)
#endif
    for (int j = 0; j < chunks; ++j) {
        Chunk& chunk = parts[static_cast<std::size_t>(j)];
        chunk.lines = count_lines(chunk.begin, chunk.end);
    }
    std::size_t lines = 0;
    for (Chunk& chunk : parts) {
        chunk.first_row = first_row + lines;
        lines += chunk.lines;
    }

    // A row takes at least n + 1 characters (a label and n values), so the
    // storage made ready here is bounded by the text at hand, whatever the
    // header claims.
    const std::size_t rows_here = std::min({rows_left, lines, bytes / (n_ + 1)});
    if (rows_here == 0) return give_up(first_row);
    const std::size_t row_limit = first_row + rows_here;
    const std::size_t needed = row_limit * n_;
    if (capacity < needed) {
        const std::size_t total = n_ * n_;
        const std::size_t grown = std::max(needed, std::min(total, capacity * 2));
        std::unique_ptr<double[]> bigger;
        try {
            bigger = allocate_reals(grown);
        } catch (const ResourceError&) {
            return give_up(first_row);  // the sequential reader meets the shortage where it would
        }
        std::memcpy(bigger.get(), values.get(), first_row * n_ * sizeof(double));
        values = std::move(bigger);
        capacity = grown;
    }

    // While the chunks are parsed, one thread reads the next block of a file
    // ahead (a pipe is not read ahead: it might wait for text the matrix
    // does not need). Work item 0 is that read.
    const bool ahead = !ended && lines < rows_left && input_.known_remaining() > 0 && input_.may_read_ahead();
    const int first_item = ahead ? 0 : 1;
    next_block_ = std::min(block_bytes, 2 * block);
    double* const storage = values.get();
#ifdef _OPENMP
#pragma omp parallel for num_threads(threads) schedule(dynamic, 1) if (threads > 1 && chunks + 1 - first_item > 1)
#endif
    for (int j = first_item; j <= chunks; ++j) {
        if (j == 0)
            input_.read_ahead(next_block_);
        else
            parse_chunk(parts[static_cast<std::size_t>(j - 1)], format_, n_, row_limit, storage, text_end);
    }

    // The rows count in order up to the first line that was not one.
    std::size_t rows = 0;
    const char* after = nullptr;
    for (Chunk& chunk : parts) {
        if (chunk.rows == 0) break;
        rows += chunk.rows;
        after = chunk.after_last_row;
        for (std::string& label : chunk.labels) labels.push_back(std::move(label));
        if (shortest_line_ == 0 || chunk.shortest_line < shortest_line_) shortest_line_ = chunk.shortest_line;
        if (chunk.rows < chunk.lines) break;
    }
    if (rows == 0) return give_up(first_row);
    backoff_ = 1;
    input_.advance(static_cast<std::size_t>(after - text_begin));
    return rows;
}

std::size_t RowReader::give_up(std::size_t first_row) noexcept {
    retry_at_ = first_row + backoff_;
    backoff_ = std::min(backoff_ * 2, n_);
    return 0;
}

}  // namespace phylo::io::parallel_read
