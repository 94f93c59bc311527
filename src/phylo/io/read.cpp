#include "phylo/io/read.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "phylo/errors.hpp"
#include "phylo/io/number_syntax.hpp"
#include "phylo/io/parallel_read.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/io/read_failure.hpp"
#include "phylo/number_images.hpp"
#include "text_utils/text_utils.hpp"

namespace phylo::io::read {

namespace {

// Longest number we accept; beyond it the text is not a distance.
constexpr std::size_t longest_number = std::size_t{1} << 20;

[[noreturn]] void ended_early(const TextInput& input) {
    throw EndOfInput(input.name() + ": the input ends inside a matrix");
}

bool is_control(char c) noexcept {
    const unsigned u = static_cast<unsigned char>(c);
    return u <= 31 || (u >= 127 && u <= 159);
}

// Skips spaces, tabs and line ends.
void skip_blanks(TextInput& input) {
    for (;;) {
        std::string_view text = input.buffered();
        std::size_t i = 0;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
        input.advance(i);
        if (i < text.size() || input.at_end()) return;
    }
}

// Takes the greedy number token at the current position.
std::string_view take_number(TextInput& input, bool integer) {
    skip_blanks(input);
    std::size_t want = 64;
    for (;;) {
        const std::size_t available = input.ensure(want);
        const std::string_view text = input.buffered().substr(0, available);
        const number_syntax::Scan s = number_syntax::scan(text, integer);
        if (s.at_text_end && available == want) {
            if (want >= longest_number) throw DataError(input.name() + ": number too long");
            want *= 2;
            continue;
        }
        if (s.length == 0 && input.at_end()) ended_early(input);
        if (!s.complete) throw DataError(input.name() + ": not a number");
        input.advance(s.length);
        return text.substr(0, s.length);
    }
}

void read_extended_label(TextInput& input, std::string& label, bool (*separates)(char)) {
    for (;;) {
        if (input.at_end()) ended_early(input);
        const char c = input.take();
        if (!separates(c)) {
            label.push_back(c);
            break;
        }
    }
    for (;;) {
        std::string_view text = input.buffered();
        std::size_t i = 0;
        while (i < text.size() && text[i] != '\n' && !separates(text[i])) ++i;
        label.append(text.data(), i);
        input.advance(i);
        if (i < text.size()) {
            if (text[i] != '\n') input.advance(1);  // the separating character is consumed
            return;
        }
        if (input.at_end()) return;
    }
}

void read_phylip_label(TextInput& input, std::string& label) {
    std::string raw;
    while (raw.size() < 10) {
        if (input.at_end()) ended_early(input);
        const char c = input.take();
        if (c != '\n') raw.push_back(c);
    }
    const auto first = std::find_if(raw.begin(), raw.end(), [](char c) { return !text_utils::is_whitespace(c); });
    const auto last = std::find_if(raw.rbegin(), raw.rend(), [](char c) { return !text_utils::is_whitespace(c); }).base();
    if (first < last) label.append(first, last);
}

void read_tab_label(TextInput& input, std::string& label) {
    std::string raw;
    read_extended_label(input, raw, is_control);
    label += partition_file::clean(raw);
}

// How many values to make room for at first: never more than the input can
// hold (each value takes at least two characters), so a header claiming
// billions of objects takes no memory before rows arrive.
std::size_t initial_capacity(const TextInput& input, std::size_t wanted) {
    const std::size_t remaining = input.known_remaining();
    const std::size_t bound = remaining > 0 ? remaining / 2 + 1 : (std::size_t{1} << 20);
    return std::max<std::size_t>(1, std::min(wanted, bound));
}

}  // namespace

InputFormat label_format(DistInputFormat format) noexcept {
    switch (format) {
        case DistInputFormat::PHYLIP: return InputFormat::PHYLIP;
        case DistInputFormat::EXTENDED_PHYLIP: return InputFormat::EXTENDED_PHYLIP;
        case DistInputFormat::TAB_SEPARATED: return InputFormat::TAB_SEPARATED;
    }
    return InputFormat::EXTENDED_PHYLIP;
}

std::int32_t get_header(TextInput& input, DistInputFormat format) {
    if (format == DistInputFormat::TAB_SEPARATED) {
        const std::string header = input.read_line();
        const auto tabs = std::count(header.begin(), header.end(), '\t');
        if (tabs > std::numeric_limits<std::int32_t>::max()) throw DataError(input.name() + ": object count too large");
        return static_cast<std::int32_t>(tabs);
    }
    const std::string_view token = take_number(input, true);
    const auto count = number_syntax::integer_value(token);
    if (!count) {
        DataError failure(input.name() + ": object count is not a 32-bit whole number");
        failure.set_subject(input.name());
        failure.set_detail("line " + decimal(static_cast<long long>(input.line_number())) + ": " +
                           shown(token) + " is no whole number of objects from 1 to 2147483647");
        throw failure;
    }
    input.skip_rest();
    return *count;
}

void get_label(TextInput& input, InputFormat format, std::string& label) {
    switch (format) {
        case InputFormat::EXTENDED_PHYLIP:
            read_extended_label(input, label, text_utils::is_whitespace);
            return;
        case InputFormat::COMMENTED_PHYLIP: {
            read_extended_label(input, label, text_utils::is_whitespace);
            std::string comment;
            read_extended_label(input, comment, text_utils::is_whitespace);
            return;
        }
        case InputFormat::PHYLIP:
            read_phylip_label(input, label);
            return;
        case InputFormat::TAB_SEPARATED:
            read_tab_label(input, label);
            return;
    }
}

double get_real(TextInput& input) {
    const std::string_view token = take_number(input, false);
    const auto value = number_syntax::real_value(token);
    if (!value) throw DataError(input.name() + ": number out of range");
    return *value;
}

Squared get(TextInput& input, DistInputFormat format) {
    const std::size_t header_start = input.offset();
    std::int32_t count = 0;
    try {
        count = get_header(input, format);
        if (count < 0) throw RangeError("object count " + decimal(count) + " is negative");
        if (count == 0) throw RangeError("object count 0");
    } catch (Error& failure) {
        describe_header_failure(input, failure, format, header_start);
        throw;
    }
    const auto n = static_cast<std::size_t>(count);
    const InputFormat labels_in = label_format(format);

    // The values grow as rows arrive; only a matrix the input has filled
    // gets its full n x n storage.
    const std::size_t total = n * n;
    std::size_t capacity = initial_capacity(input, total);
    std::unique_ptr<double[]> values = allocate_reals(capacity);
    std::size_t filled = 0;

    Squared result;
    result.labels.reserve(std::min(n, capacity));
    parallel_read::RowReader rows_at_once(input, labels_in, n);
    RowPlace place{n};
    try {
        for (std::size_t& i = place.row; i < n; ++i) {
            // Rows on lines of their own are read many at a time, on all cores.
            if (const std::size_t rows = rows_at_once.get_rows(i, values, capacity, result.labels)) {
                filled += rows * n;
                i += rows - 1;
                continue;
            }
            place.labelled = false;
            place.values = 0;
            result.labels.emplace_back();
            get_label(input, labels_in, result.labels.back());
            place.labelled = true;
            for (std::size_t& k = place.values; k < n; ++k) {
                if (filled == capacity) {
                    const std::size_t grown = std::min(total, capacity * 2);
                    std::unique_ptr<double[]> bigger = allocate_reals(grown);
                    std::memcpy(bigger.get(), values.get(), filled * sizeof(double));
                    values = std::move(bigger);
                    capacity = grown;
                }
                values[filled++] = get_real(input);
            }
            input.skip_rest();
        }
    } catch (Error& failure) {
        describe_row_failure(input, failure, format, place, result.labels);
        throw;
    }
    result.matrix = RealMatrix(n, std::move(values));
    return result;
}

}  // namespace phylo::io::read

