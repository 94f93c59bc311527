#include "reading.hpp"

#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "errors.hpp"
#include "fields.hpp"
#include "pair_blocks.hpp"

namespace tarvix::matrix {

namespace {

constexpr std::size_t kMaxPairLine = std::size_t{1} << 20;

bool is_count(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const bool digits = i > start;
    while (i < text.size() && is_blank(text[i])) ++i;
    return digits && i == text.size();
}

bool is_whole_number(std::string_view text) noexcept {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "280/5000", mash's shared hashes.
bool is_hash_share(std::string_view text) noexcept {
    const std::size_t slash = text.find('/');
    return slash != std::string_view::npos && is_whole_number(text.substr(0, slash)) &&
           is_whole_number(text.substr(slash + 1));
}

std::string values(std::size_t n) { return std::to_string(n) + (n == 1 ? " value" : " values"); }

std::string at_row(std::size_t row, const std::string& label) {
    return "row " + std::to_string(row + 1) + " (" + label + ")";
}

// Stores one value; a pair given twice in the same direction is an error, as
// the two values could only be told apart by guessing.
class PairSink {
public:
    PairSink(ReadMatrix& result, Conversion conversion) : result_(result), conversion_(conversion) {}

    void add(std::string_view row_name, std::string_view column_name, std::string_view value, std::size_t line) {
        const std::uint32_t row = row_of(row_name, line);
        std::uint32_t column;
        try {
            column = result_.labels.row_of(column_name);
        } catch (const InputError& e) {
            throw InputError(line, e.what());
        }
        result_.values.reserve(result_.labels.size());
        double distance;
        try {
            distance = to_distance(value, conversion_, scratch_);
        } catch (const ValueError& e) {
            throw InputError(line, e.what());
        }
        double& entry = result_.values.at(row, column);
        if (!TiledMatrix::is_absent(entry)) throw InputError(line, pair_given_twice(result_.labels, row, column));
        entry = distance;
    }

private:
    // Lists are usually sorted by their first column: one comparison saves
    // the lookup on most lines.
    std::uint32_t row_of(std::string_view name, std::size_t line) {
        if (have_last_ && name == last_name_) return last_row_;
        std::uint32_t row;
        try {
            row = result_.labels.row_of(name);
        } catch (const InputError& e) {
            throw InputError(line, e.what());
        }
        last_name_.assign(name);
        last_row_ = row;
        have_last_ = true;
        return row;
    }

    ReadMatrix& result_;
    Conversion conversion_;
    std::string scratch_;
    std::string last_name_;
    std::uint32_t last_row_ = 0;
    bool have_last_ = false;
};

PairLayout skani_layout(std::string_view header, std::size_t line) {
    std::array<std::string_view, kMaxFields + 1> fields;
    const std::size_t n = split_tabs(header, fields);
    PairLayout layout;
    layout.fields = n;
    layout.what = "skani";
    std::size_t found = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (fields[i] == "Query_file") layout.row = i, found |= 1;
        if (fields[i] == "Ref_file") layout.column = i, found |= 2;
        if (fields[i] == "ANI") layout.value = i, found |= 4;
    }
    if (found != 7) throw InputError(line, "a skani header needs the columns Ref_file, Query_file and ANI");
    return layout;
}

void read_pairs(LineReader& reader, InputKind kind, std::string_view first, Conversion conversion,
                ReadMatrix& result) {
    PairSink sink(result, conversion);
    std::array<std::string_view, kMaxFields + 1> fields;
    PairLayout layout;
    bool header = false;
    switch (kind) {
        case InputKind::fastani:
            layout = {true, 5, 0, 1, 2, "fastANI"};
            break;
        case InputKind::mash:
            layout = {true, 5, 1, 0, 2, "mash"};
            break;
        case InputKind::skani:
            layout = skani_layout(first, reader.line_number());
            header = true;
            break;
        default: {
            layout = {false, 3, 0, 1, 2, "pair list"};
            // A header names its columns: its value field is no number.
            const std::size_t n = split_blanks(first, fields);
            header = n == 3 && !is_number(fields[2]) && fields[2] != "NA";
            break;
        }
    }
    auto one_line = [&](std::string_view line, std::size_t number) {
        const std::size_t n = layout.tabs ? split_tabs(line, fields) : split_blanks(line, fields);
        if (n != layout.fields)
            throw InputError(number, std::string(n > kMaxFields ? "more than 64" : std::to_string(n)) +
                                         " fields where " + layout.what + " lines have " +
                                         std::to_string(layout.fields));
        sink.add(fields[layout.row], fields[layout.column], fields[layout.value], number);
    };
    if (!header) one_line(first, reader.line_number());
    read_pair_blocks(reader, layout, conversion, kMaxPairLine, result, one_line);
    // A header alone would make a matrix of no objects, which no program
    // reads: a failure, like an empty input.
    if (result.labels.size() == 0) throw InputError(0, "the input holds a header line and no pairs");
}

// Triangles: a row begins with a line whose first field is a label (not a
// number); lines that begin with a number continue the row before, so long
// rows may be wrapped. The first row tells the layout: 0 values (lower
// triangle), 1 (lower with diagonal), N - 1 (upper) or N (upper with
// diagonal).
class TriangleReader {
public:
    TriangleReader(LineReader& reader, ReadMatrix& result, Conversion conversion, bool fastani)
        : reader_(reader), result_(result), conversion_(conversion), fastani_(fastani) {}

    void read(std::string_view header) {
        const std::string_view count_text = header.substr(header.find_first_not_of(" \t"));
        std::size_t n = 0;
        const auto parsed = std::from_chars(count_text.data(), count_text.data() + count_text.size(), n);
        if (parsed.ec != std::errc() || n == 0)
            throw InputError(reader_.line_number(), "the object count " + std::string(count_text.substr(0, 20)) +
                                                        " is not a positive whole number");
        n_ = n;
        try {
            result_.values.reserve(n_);
        } catch (const InputError& e) {
            throw InputError(reader_.line_number(), e.what());
        }
        // A row holds at most N values; anything much longer is no row.
        reader_.set_max_line(n_ * 64 + 65536);
        if (fastani_) shape_ = Shape::lower;
        std::string_view line;
        while (reader_.next(line)) {
            if (blank_line(line)) continue;
            read_line(line);
        }
        finish_row();
        if (rows_ < n_)
            throw InputError(reader_.line_number(), "the input ends after " + std::to_string(rows_) +
                                                        " rows; the header counts " + std::to_string(n_));
    }

private:
    enum class Shape { unknown, lower, lower_diagonal, upper, upper_diagonal };

    void read_line(std::string_view line) {
        std::size_t position = 0;
        if (!fastani_) position = line.find_first_not_of(" \t");
        const std::size_t end = line.find_first_of(fastani_ ? "\t" : " \t", position);
        const std::string_view first = line.substr(position, end - position);
        std::string_view rest = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
        if (is_number(first) || first == "NA") {
            if (rows_ == 0) throw InputError(reader_.line_number(), "a value before the first row's label");
            rest = line;
        } else {
            finish_row();
            start_row(first);
        }
        if (fastani_) {
            if (rest.empty()) return;
            for (;;) {
                const std::size_t tab = rest.find('\t');
                add_value(rest.substr(0, tab));
                if (tab == std::string_view::npos) break;
                rest.remove_prefix(tab + 1);
            }
        } else {
            std::size_t i = 0;
            for (;;) {
                while (i < rest.size() && is_blank(rest[i])) ++i;
                if (i == rest.size()) break;
                const std::size_t start = i;
                while (i < rest.size() && !is_blank(rest[i])) ++i;
                add_value(rest.substr(start, i - start));
            }
        }
    }

    void start_row(std::string_view name) {
        if (rows_ == n_)
            throw InputError(reader_.line_number(), "a row labelled " + std::string(name) +
                                                        " beyond the " + std::to_string(n_) +
                                                        " rows the header counts");
        std::uint32_t row;
        try {
            row = result_.labels.row_of(name);
        } catch (const InputError& e) {
            throw InputError(reader_.line_number(), e.what());
        }
        if (row != rows_)
            throw InputError(reader_.line_number(), "the label " + std::string(name) + " of row " +
                                                        std::to_string(rows_ + 1) + " was the label of row " +
                                                        std::to_string(row + 1));
        ++rows_;
        in_row_ = 0;
        row_line_ = reader_.line_number();
    }

    // Values the current row should hold, or N while the layout is unknown.
    std::size_t expected(std::size_t row) const {
        switch (shape_) {
            case Shape::lower: return row;
            case Shape::lower_diagonal: return row + 1;
            case Shape::upper: return n_ - 1 - row;
            case Shape::upper_diagonal: return n_ - row;
            case Shape::unknown: break;
        }
        return n_;
    }

    void add_value(std::string_view text) {
        const std::size_t row = rows_ - 1;
        if (in_row_ == expected(row))
            throw InputError(reader_.line_number(), at_row(row, result_.labels.label(row)) + " has more than " +
                                                        values(expected(row)));
        double distance = TiledMatrix::absent();
        if (text != "NA") {
            try {
                distance = to_distance(text, conversion_, scratch_);
            } catch (const ValueError& e) {
                throw InputError(reader_.line_number(), e.what());
            }
        }
        if (shape_ == Shape::unknown)
            (row == 0 ? first_row_ : second_row_).push_back(distance);
        else
            store(row, in_row_, distance);
        ++in_row_;
    }

    void store(std::size_t row, std::size_t k, double distance) {
        std::size_t column = k;
        if (shape_ == Shape::upper) column = row + 1 + k;
        if (shape_ == Shape::upper_diagonal) column = row + k;
        if (TiledMatrix::is_absent(distance)) return;
        result_.values.at(row, column) = distance;
        result_.values.at(column, row) = distance;
    }

    void finish_row() {
        if (rows_ == 0) return;
        const std::size_t row = rows_ - 1;
        if (shape_ == Shape::unknown) {
            decide_shape();
            if (shape_ == Shape::unknown) return;  // two objects: the second row decides
            for (std::size_t k = 0; k < first_row_.size(); ++k) store(0, k, first_row_[k]);
            for (std::size_t k = 0; k < second_row_.size(); ++k) store(1, k, second_row_[k]);
            first_row_.clear();
            second_row_.clear();
            return;
        }
        if (in_row_ != expected(row))
            throw InputError(row_line_, at_row(row, result_.labels.label(row)) + " has " + values(in_row_) +
                                            " where " + std::to_string(expected(row)) + " are due");
    }

    void decide_shape() {
        if (rows_ == 2) {
            // Two objects and one value in the first row: the second row has
            // 2 values (lower with diagonal) or none (upper).
            const std::size_t v = second_row_.size();
            if (v != 0 && v != 2)
                throw InputError(row_line_, at_row(1, result_.labels.label(1)) + " has " + values(v) +
                                                " where 0 or 2 are due");
            shape_ = v == 2 ? Shape::lower_diagonal : Shape::upper;
            return;
        }
        const std::size_t v = first_row_.size();
        if (v == 0)
            shape_ = Shape::lower;
        else if (v == 1 && n_ == 2)
            return;
        else if (v == n_)
            shape_ = Shape::upper_diagonal;
        else if (v == 1)
            shape_ = Shape::lower_diagonal;
        else if (v == n_ - 1)
            shape_ = Shape::upper;
        else
            throw InputError(row_line_, at_row(0, result_.labels.label(0)) + " has " + values(v) +
                                            "; the first row of a triangle of " + std::to_string(n_) +
                                            " objects has 0 or 1 (lower) or " + std::to_string(n_ - 1) + " or " +
                                            std::to_string(n_) + " (upper)");
    }

    LineReader& reader_;
    ReadMatrix& result_;
    Conversion conversion_;
    bool fastani_;
    std::size_t n_ = 0;
    std::size_t rows_ = 0;
    std::size_t in_row_ = 0;
    std::size_t row_line_ = 0;
    Shape shape_ = Shape::unknown;
    std::vector<double> first_row_;
    std::vector<double> second_row_;
    std::string scratch_;
};

}  // namespace

Conversion default_conversion(InputKind kind) noexcept {
    switch (kind) {
        case InputKind::fastani:
        case InputKind::fastani_matrix:
        case InputKind::skani:
            return Conversion::percent;
        default:
            return Conversion::none;
    }
}

std::optional<InputKind> detect_kind(std::string_view line) {
    if (is_count(line)) return InputKind::triangle;
    std::array<std::string_view, kMaxFields + 1> fields;
    const std::size_t tabs = split_tabs(line, fields);
    bool ref = false, query = false, ani = false;
    for (std::size_t i = 0; i < tabs; ++i) {
        ref |= fields[i] == "Ref_file";
        query |= fields[i] == "Query_file";
        ani |= fields[i] == "ANI";
    }
    if (ref && query && ani) return InputKind::skani;
    if (tabs == 5 && is_number(fields[2]) && is_hash_share(fields[4])) return InputKind::mash;
    if (tabs == 5 && is_number(fields[2]) && is_whole_number(fields[3]) && is_whole_number(fields[4]))
        return InputKind::fastani;
    if (split_blanks(line, fields) == 3) return InputKind::pairs;
    return std::nullopt;
}

void read_input(LineReader& reader, InputKind kind, std::optional<Conversion> conversion, ReadMatrix& result) {
    reader.set_max_line(kMaxPairLine);
    std::string_view first;
    do {
        if (!reader.next(first)) throw InputError(0, "the input is empty");
    } while (blank_line(first));
    const bool automatic = kind == InputKind::automatic;
    if (automatic) {
        const auto detected = detect_kind(first);
        if (!detected)
            throw InputError(reader.line_number(), "this line fits no input kind; name the kind with --input");
        kind = *detected;
    }
    if (kind == InputKind::triangle || kind == InputKind::fastani_matrix) {
        if (!is_count(first)) throw InputError(reader.line_number(), "a triangle begins with its object count");
        const std::string header(first);
        std::string_view second;
        if (automatic && kind == InputKind::triangle && reader.next(second)) {
            // fastANI --matrix output is a lower triangle whose labels are
            // paths of genome files and whose values are percentages.
            // Its first row is a path alone.
            const std::size_t start = second.find_first_not_of(" \t");
            const std::size_t stop = second.find_last_not_of(" \t");
            const std::string_view name =
                start == std::string_view::npos ? std::string_view() : second.substr(start, stop + 1 - start);
            if (name.find('\t') == std::string_view::npos && !name.empty() &&
                clean_label(name, false) != clean_label(name, true))
                kind = InputKind::fastani_matrix;
            reader.unread();
        }
        result.kind = kind;
        TriangleReader triangle(reader, result, conversion.value_or(default_conversion(kind)),
                                kind == InputKind::fastani_matrix);
        triangle.read(header);
        return;
    }
    result.kind = kind;
    read_pairs(reader, kind, first, conversion.value_or(default_conversion(kind)), result);
}

}  // namespace tarvix::matrix
